#include "consolescore.h"

namespace ConsoleScore {

QString text(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    bool number = false;
    const double value = stored.toDouble(&number);
    return number ? QString::number(value, 'f', 3) : stored.toString();
}

} // namespace ConsoleScore
