#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// The paper the printed documents are laid out for: papersize.txt of the data
// folder ("Letter" or "A4"), else what the system's locale uses.
namespace PaperSize {

enum class Size { Letter, A4 };

inline constexpr auto FileName = "papersize.txt";

// Letter in the United States and Canada, A4 elsewhere.
Size localeDefault(const QLocale& locale = QLocale());
// "Letter" or "A4", whatever the case; none for any other text.
std::optional<Size> parse(const QString& text);
QString name(Size size);

// The size saved in `dataFolder`, else the locale's; a file naming no size
// counts as missing.
Size read(const QString& dataFolder);
// Replaces papersize.txt of `dataFolder`; false, with the reason.
bool write(const QString& dataFolder, Size size, QString* error = nullptr);
// The size saved in the data folder this program uses.
Size current();

} // namespace PaperSize
