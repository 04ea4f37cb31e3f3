#include "currentsession.h"

void CurrentSession::set(const QString& id, const QString& description) {
    if (id == mId && description == mDescription)
        return;
    mId = id;
    mDescription = description;
    Q_EMIT changed();
}
