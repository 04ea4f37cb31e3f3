#include "firstrow.h"

#include "db/meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

QStringList firstRow(MeetDatabase& db, const QString& sql, const QVariantList& values) {
    const DbRows rows = db.select(sql, values);
    if (!rows.ok())
        qFatal("%s: %s", qPrintable(sql), qPrintable(rows.error()));
    QStringList texts;
    for (const QVariant& value : rows.isEmpty() ? QVariantList() : rows.rows().first())
        texts << (value.isValid() ? value.toString() : u"<null>"_s);
    return texts;
}
