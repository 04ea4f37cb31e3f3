#include "caselesscollation.h"

#include "sqlitestatement.h"

#include <QSqlDatabase>
#include <QString>

#include <sqlite3.h>

namespace CaselessCollation {

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

int sqliteCompare(void*, int leftLength, const void* left, int rightLength, const void* right) {
    return compare(static_cast<const char*>(left), leftLength, static_cast<const char*>(right),
                   rightLength);
}

} // namespace

int compare(const char* left, int leftLength, const char* right, int rightLength) {
    // Most names are plain ASCII: those compare without building strings.
    const int common = qMin(leftLength, rightLength);
    for (int i = 0; i < common; ++i) {
        if ((left[i] & 0x80) || (right[i] & 0x80)) {
            return QString::compare(QString::fromUtf8(left, leftLength),
                                    QString::fromUtf8(right, rightLength), Qt::CaseInsensitive);
        }
        const char a = asciiLower(left[i]);
        const char b = asciiLower(right[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (leftLength == rightLength)
        return 0;
    return leftLength < rightLength ? -1 : 1;
}

bool install(const QSqlDatabase& db) {
    sqlite3* connection = SqliteStatement::handleOf(db);
    return connection && sqlite3_create_collation_v2(connection, "NOCASE", SQLITE_UTF8, nullptr,
                                                     sqliteCompare, nullptr) == SQLITE_OK;
}

} // namespace CaselessCollation
