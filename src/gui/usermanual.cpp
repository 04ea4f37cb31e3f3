#include "usermanual.h"

#include "shell/prompter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace UserManual {

QString path() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QStringList candidates{
        programFolder + u"/../share/doc/tallvane/index.html"_s,
        programFolder + u"/docs/index.html"_s,
        QString::fromUtf8(TALLVANE_DOCS_DIR) + u"/index.html"_s,
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return {};
}

void open(Prompter& prompter) {
    const QString manual = path();
    if (manual.isEmpty()) {
        prompter.showMessage(u"The user manual could not be found. It belongs in the folder "
                             "share/doc/tallvane beside the program's folder (for an installed "
                             "Tallvane, /usr/share/doc/tallvane)."_s,
                             Prompter::Icon::Critical);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        prompter.showMessage(u"The user manual %1 could not be opened: no web browser is set up "
                             "to show it."_s.arg(QDir::toNativeSeparators(manual)),
                             Prompter::Icon::Critical);
}

} // namespace UserManual
