#include "papersize.h"

#include "datafolder.h"
#include "settingsfile.h"

using namespace Qt::Literals::StringLiterals;

namespace PaperSize {

Size localeDefault(const QLocale& locale) {
    const QLocale::Territory territory = locale.territory();
    return territory == QLocale::UnitedStates || territory == QLocale::Canada ? Size::Letter
                                                                              : Size::A4;
}

std::optional<Size> parse(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"Letter"_s, Qt::CaseInsensitive) == 0)
        return Size::Letter;
    if (trimmed.compare(u"A4"_s, Qt::CaseInsensitive) == 0)
        return Size::A4;
    return std::nullopt;
}

QString name(Size size) {
    return size == Size::Letter ? u"Letter"_s : u"A4"_s;
}

Size read(const QString& dataFolder) {
    const QString path = dataFolder + u'/' + QString::fromLatin1(FileName);
    return parse(SettingsFile::read(path)).value_or(localeDefault());
}

bool write(const QString& dataFolder, Size size, QString* error) {
    return SettingsFile::write(dataFolder + u'/' + QString::fromLatin1(FileName), name(size),
                               error);
}

Size current() {
    return read(DataFolder::location());
}

} // namespace PaperSize
