#include "consolescore.h"

#include "judging/formatscore.h"

namespace ConsoleScore {

QString text(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    bool number = false;
    const double value = stored.toDouble(&number);
    return number ? scoreText(value) : stored.toString();
}

} // namespace ConsoleScore
