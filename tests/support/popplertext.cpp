#include "popplertext.h"

#include <QProcess>

using namespace Qt::Literals::StringLiterals;

QString poppler(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& pdf) {
    return poppler(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
}
