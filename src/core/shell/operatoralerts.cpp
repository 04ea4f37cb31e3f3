#include "operatoralerts.h"

void OperatorAlerts::raise(const QString& text) {
    const QString stamped =
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + text;
    mAlerts.append(stamped);
    Q_EMIT alertRaised(stamped);
}

void OperatorAlerts::clear() {
    mAlerts.clear();
    Q_EMIT cleared();
}
