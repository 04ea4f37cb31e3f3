#include "meetcopies.h"

#include "db/meetdatabase.h"

#include <QHostAddress>
#include <QTcpServer>

using namespace Qt::Literals::StringLiterals;

QStringList everyRow(const QString& path) {
    MeetDatabase db;
    if (!db.open(path))
        return {u"cannot open: "_s + db.lastError()};
    QStringList rows;
    const DbRows tables =
        db.select(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s);
    for (int t = 0; t < tables.count(); ++t) {
        const QString table = tables.text(t, u"name"_s);
        const DbRows all = db.select(u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(table));
        for (int r = 0; r < all.count(); ++r) {
            QStringList values;
            for (int c = 0; c < all.columnNames().size(); ++c)
                values << all.value(r, c).toString();
            rows << table + u": "_s + values.join(u'|');
        }
    }
    return rows;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4);
    return probe.serverPort();
}
