#include "currentsession.h"

void CurrentSession::set(const QString& id, const QString& description) {
    mId = id;
    mDescription = description;
    Q_EMIT changed();
}
