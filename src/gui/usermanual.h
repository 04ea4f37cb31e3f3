#pragma once

#include <QString>

class Prompter;

// The user manual (HTML), opened in the desktop's browser.
namespace UserManual {

// The manual's first page: beside an installed program in
// <prefix>/share/doc/tallvane, else the source tree's docs folder of this
// build. Empty when neither exists.
QString path();

// Opens the manual; tells the operator when it cannot be found or shown.
void open(Prompter& prompter);

} // namespace UserManual
