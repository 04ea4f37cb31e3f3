#include "readingconnection.h"

#include "meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

bool openForReading(MeetDatabase& db, const QString& meetFile) {
    return db.open(meetFile) && db.execute(u"PRAGMA query_only=ON"_s);
}
