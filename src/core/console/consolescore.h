#pragma once

#include <QString>
#include <QVariant>

namespace ConsoleScore {

// A stored score as the operator sees it: three decimals, "" for Null.
QString text(const QVariant& stored);

} // namespace ConsoleScore
