#include "resultscolumns.h"

using namespace Qt::Literals::StringLiterals;

QString ResultColumns::name(int column) {
    static const std::array<QString, Count> names{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s,
                                                  u"AA"_s};
    return column >= 0 && column < Count ? names[column] : QString();
}
