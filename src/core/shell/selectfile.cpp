#include "selectfile.h"

#include "prompter.h"

using namespace Qt::Literals::StringLiterals;

namespace SelectFile {

QString filter(const QString& description, const QString& extension) {
    return description + u"(*."_s + extension + u")"_s;
}

void open(Prompter& prompter, const QString& description, const QString& extension,
          const QString& folder, std::function<void(const QString& path)> chosen) {
    prompter.chooseOpenFile(QString::fromLatin1(Title), filter(description, extension), folder,
                            std::move(chosen));
}

} // namespace SelectFile
