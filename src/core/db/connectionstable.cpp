#include "connectionstable.h"

#include "dbtransaction.h"
#include "meetdatabase.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using C = ConnectionsTable;

// "SELECT columns FROM Connections " followed by the condition.
QString selectFrom(const QString& columns, const QString& condition = {}) {
    return u"SELECT "_s + columns + u" FROM Connections "_s + condition;
}

// Records a change of the table that succeeded; `keys` names its rows (all
// or some unknown ones when empty).
bool recorded(MeetDatabase& db, bool ok, const QStringList& keys = {}) {
    if (ok)
        db.changes().record({C::Name, keys, {}, {}, {}, false});
    return ok;
}

QString stationColumns() {
    return QStringList{C::SocketId, C::Type, C::Address, C::EventName}.join(u", "_s);
}

} // namespace

ConnectionsTable::ConnectionsTable(MeetDatabase& db)
    : mDb(db) {}

QString ConnectionsTable::lastError() const {
    return mDb.lastError();
}

bool ConnectionsTable::prepare() {
    return ensureHeartBeatColumn() && clear();
}

bool ConnectionsTable::ensureHeartBeatColumn() {
    const DbRows columns = mDb.select(u"SELECT name FROM pragma_table_info('Connections')"_s);
    if (!columns.ok())
        return false;
    for (int i = 0; i < columns.count(); ++i) {
        if (columns.text(i, u"name"_s).compare(HeartBeat, Qt::CaseInsensitive) == 0)
            return true;
    }
    return mDb.execute(u"ALTER TABLE Connections ADD COLUMN "_s + HeartBeat + u" INTEGER"_s);
}

bool ConnectionsTable::clear() {
    return recorded(mDb, mDb.execute(u"DELETE FROM Connections"_s));
}

bool ConnectionsTable::addJudge(ConnectionId id, const QString& address, const QString& event,
                                const QString& judgeName, qint32 judgeNumber) {
    static const QString sql = u"INSERT INTO Connections(%1, %2, %3, %4, %5, %6) "
                               "VALUES(?, ?, ?, ?, ?, ?)"_s.arg(SocketId, Type, Address, EventName,
                                                                JudgeName, JudgeNumber);
    return recorded(mDb, mDb.execute(sql, {id, Judge, address, event, judgeName, judgeNumber}),
                    {QString::number(id)});
}

bool ConnectionsTable::addDisplay(ConnectionId id, const QString& address,
                                  const QString& displayName, const QString& eventShown) {
    // A display's row keeps its name where a judge's keeps the event, and the
    // event it shows where a judge's keeps the judge's name.
    static const QString sql =
        u"INSERT INTO Connections(%1, %2, %3, %4, %5) VALUES(?, ?, ?, ?, ?)"_s.arg(
            SocketId, Type, Address, EventName, JudgeName);
    return recorded(mDb, mDb.execute(sql, {id, Display, address, displayName, eventShown}),
                    {QString::number(id)});
}

bool ConnectionsTable::remove(ConnectionId id) {
    static const QString sql = u"DELETE FROM Connections WHERE %1 = ?"_s.arg(SocketId);
    return recorded(mDb, mDb.execute(sql, {id}), {QString::number(id)});
}

std::optional<int> ConnectionsTable::countNamed(const QString& name,
                                                std::optional<qint32> judgeNumber) {
    // "vault" is the Vault panel.
    static const QString byName =
        selectFrom(u"count(*) AS n"_s, u"WHERE %1 = ? COLLATE NOCASE"_s.arg(EventName));
    static const QString byJudge = byName + u" AND %1 = ?"_s.arg(JudgeNumber);
    const DbRows rows =
        judgeNumber ? mDb.select(byJudge, {name, *judgeNumber}) : mDb.select(byName, {name});
    if (!rows.ok() || rows.isEmpty())
        return std::nullopt;
    return rows.value(0, u"n"_s).toInt();
}

std::optional<QList<ConnectionsTable::Station>> ConnectionsTable::station(ConnectionId id) {
    static const QString sql = selectFrom(stationColumns(), u"WHERE %1 = ?"_s.arg(SocketId));
    return stations(sql, {id});
}

std::optional<std::optional<ConnectionsTable::JudgeLogin>>
ConnectionsTable::judge(ConnectionId id) {
    static const QString sql =
        selectFrom(QStringList{EventName, JudgeNumber, JudgeName}.join(u", "_s),
                   u"WHERE %1 = ? AND %2 = ? LIMIT 1"_s.arg(SocketId, Type));
    const DbRows rows = mDb.select(sql, {id, Judge});
    if (!rows.ok())
        return std::nullopt;
    if (rows.isEmpty())
        return std::optional<JudgeLogin>();
    return std::optional<JudgeLogin>(JudgeLogin{
        rows.text(0, EventName), rows.value(0, JudgeNumber).toInt(), rows.text(0, JudgeName)});
}

std::optional<QList<ConnectionId>> ConnectionsTable::all() {
    static const QString sql = selectFrom(SocketId);
    return ids(sql);
}

std::optional<QList<ConnectionId>> ConnectionsTable::displays() {
    static const QString sql = selectFrom(SocketId, u"WHERE %1 = ?"_s.arg(Type));
    return ids(sql, {Display});
}

std::optional<QList<ConnectionId>> ConnectionsTable::primaryJudge(const QString& event) {
    static const QString sql = selectFrom(
        SocketId, u"WHERE %1 = ? COLLATE NOCASE AND %2 = 1 LIMIT 1"_s.arg(EventName, JudgeNumber));
    return ids(sql, {event});
}

std::optional<QList<ConnectionId>> ConnectionsTable::panelJudges(const QString& event) {
    static const QString sql = selectFrom(
        SocketId, u"WHERE %1 = ? COLLATE NOCASE AND %2 > 1"_s.arg(EventName, JudgeNumber));
    return ids(sql, {event});
}

bool ConnectionsTable::startHeartbeatRound() {
    static const QString sql = u"UPDATE Connections SET %1 = 0"_s.arg(HeartBeat);
    return recorded(mDb, mDb.execute(sql));
}

bool ConnectionsTable::markAnswered(const QSet<ConnectionId>& answered) {
    if (answered.isEmpty())
        return true;
    static const QString sql =
        u"UPDATE Connections SET %1 = 1 WHERE %2 = ?"_s.arg(HeartBeat, SocketId);
    DbTransaction transaction(mDb);
    bool ok = transaction.isActive();
    QStringList keys;
    for (const ConnectionId id : answered) {
        ok = ok && mDb.execute(sql, {id});
        keys.append(QString::number(id));
    }
    return recorded(mDb, ok, keys) && transaction.commit();
}

std::optional<QList<ConnectionsTable::Station>> ConnectionsTable::silentStations() {
    static const QString sql = selectFrom(stationColumns(), u"WHERE %1 = 0"_s.arg(HeartBeat));
    return stations(sql);
}

bool ConnectionsTable::removeSilent() {
    static const QString sql = u"DELETE FROM Connections WHERE %1 = 0"_s.arg(HeartBeat);
    return recorded(mDb, mDb.execute(sql));
}

std::optional<QList<ConnectionId>> ConnectionsTable::ids(const QString& sql,
                                                         const QVariantList& values) {
    const DbRows rows = mDb.select(sql, values);
    if (!rows.ok())
        return std::nullopt;
    QList<ConnectionId> result;
    result.reserve(rows.count());
    for (int i = 0; i < rows.count(); ++i)
        result.append(ConnectionId(rows.value(i, SocketId).toInt()));
    return result;
}

std::optional<QList<ConnectionsTable::Station>>
ConnectionsTable::stations(const QString& sql, const QVariantList& values) {
    const DbRows rows = mDb.select(sql, values);
    if (!rows.ok())
        return std::nullopt;
    QList<Station> result;
    result.reserve(rows.count());
    for (int i = 0; i < rows.count(); ++i)
        result.append({ConnectionId(rows.value(i, SocketId).toInt()), rows.text(i, Type),
                       rows.text(i, Address), rows.text(i, EventName)});
    return result;
}
