#pragma once

#include <QString>

#include <functional>

class Prompter;

// The open-file dialog with one filter entry, opened in a given folder.
namespace SelectFile {

inline constexpr auto Title = "Select File";

// The filter entry: the description followed directly by "(*.ext)".
QString filter(const QString& description, const QString& extension);

// Asks for an existing file; `chosen` gets the full path, or "" when cancelled.
void open(Prompter& prompter, const QString& description, const QString& extension,
          const QString& folder, std::function<void(const QString& path)> chosen);

} // namespace SelectFile
