#include "firstrow.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QStringList> rowValues(MeetDatabase& db, const QString& sql, const QVariantList& values) {
    const DbRows rows = db.select(sql, values);
    if (!rows.ok())
        qFatal("%s: %s", qPrintable(sql), qPrintable(rows.error()));
    QList<QStringList> all;
    for (const QVariantList& row : rows.rows()) {
        QStringList& texts = all.emplace_back();
        for (const QVariant& value : row)
            texts << (value.isValid() ? value.toString() : u"<null>"_s);
    }
    return all;
}

} // namespace

QStringList firstRow(MeetDatabase& db, const QString& sql, const QVariantList& values) {
    return rowValues(db, sql, values).value(0);
}

QStringList allRows(MeetDatabase& db, const QString& sql, const QVariantList& values) {
    QStringList joined;
    for (const QStringList& row : rowValues(db, sql, values))
        joined << row.join(u'|');
    return joined;
}
