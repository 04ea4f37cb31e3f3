#include "gymnaststable.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"

#include <algorithm>
#include <iterator>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList& finalColumns() {
    static const QStringList columns{u"E1Final"_s, u"E2Final"_s, u"E3Final"_s, u"E4Final"_s};
    return columns;
}

// An attempt's columns in the order GymnastsTable::Attempt holds them.
QStringList attemptColumns(int eventNumber) {
    QStringList columns;
    for (int judge = 1; judge <= 7; ++judge)
        columns.append(MeetEvents::column(eventNumber, QString(u"S"_s + QString::number(judge))));
    columns.append(MeetEvents::column(eventNumber, u"Start"));
    columns.append(MeetEvents::column(eventNumber, u"Adj"));
    return columns;
}

GymnastsTable::Attempt attemptOf(const DbRows& rows, int eventNumber) {
    const QStringList columns = attemptColumns(eventNumber);
    GymnastsTable::Attempt attempt;
    for (size_t i = 0; i < attempt.size(); ++i)
        attempt[i] = rows.value(0, columns[qsizetype(i)]);
    return attempt;
}

template <size_t N>
void readFinals(const DbRows& rows, int row, std::array<QVariant, N>& finals) {
    for (size_t i = 0; i < N; ++i)
        finals[i] = rows.value(row, i < 4 ? finalColumns()[qsizetype(i)] : GymnastsTable::AA);
}

} // namespace

GymnastsTable::GymnastsTable(MeetDatabase& db)
    : MeetTable(db) {}

std::optional<QList<GymnastsTable::Listed>> GymnastsTable::inSession(const QString& session,
                                                                     Order order) {
    const QString orderBy = order == Order::Name
                                ? u" ORDER BY Last_Name COLLATE NOCASE, First_Name COLLATE NOCASE"_s
                                : u" ORDER BY Num"_s;
    const DbRows rows =
        mDb.select(u"SELECT Num, First_Name, Last_Name FROM Gymnasts WHERE Session = ?"_s + orderBy,
                   {session});
    return allRows(rows, mError, [](const DbRows& r, int i) {
        return Listed{r.text(i, Num), r.text(i, u"First_Name"_s), r.text(i, u"Last_Name"_s)};
    });
}

std::optional<std::optional<GymnastsTable::Details>> GymnastsTable::details(const QString& num) {
    const DbRows rows =
        mDb.select(u"SELECT First_Name, Last_Name, E1Final, E2Final, E3Final, E4Final, AA, Level, "
                   "Birthday, USAG, Session, Gym, Scratched, Squad, \"Order\" FROM Gymnasts "
                   "WHERE Num = ? LIMIT 1"_s,
                   {num});
    return oneRow(rows, mError, [&num](const DbRows& r) {
        Details d;
        d.num = num;
        d.firstName = r.text(0, u"First_Name"_s);
        d.lastName = r.text(0, u"Last_Name"_s);
        d.usag = r.text(0, u"USAG"_s);
        d.birthday = r.value(0, u"Birthday"_s);
        d.level = r.value(0, u"Level"_s);
        d.session = r.value(0, Session);
        d.squad = r.value(0, u"Squad"_s);
        d.order = r.value(0, u"Order"_s);
        d.gymId = r.value(0, u"Gym"_s);
        d.scratched = r.value(0, u"Scratched"_s).toInt() != 0;
        readFinals(r, 0, d.finals);
        return d;
    });
}

std::optional<std::optional<GymnastsTable::BeforeScore>>
GymnastsTable::beforeScore(const QString& num) {
    // Every score asks this: the statement is read column by column.
    const std::shared_ptr<SqliteStatement> statement = mDb.sqliteStatement(
        u"SELECT First_Name, Last_Name, Session, AAAdj, E1Final, E2Final, E3Final, E4Final "
        "FROM Gymnasts WHERE Num = ? LIMIT 1"_s);
    if (!statement) {
        mError = mDb.lastError();
        return std::nullopt;
    }
    const QVariantList values{num}; // bound without a copy: kept until the step
    statement->bindAll(values);
    if (!statement->next()) {
        if (!statement->error().isEmpty()) {
            mError = statement->error();
            return std::nullopt;
        }
        return std::optional<BeforeScore>();
    }
    const auto text = [&statement](int column) {
        const QVariant value = statement->ownedValue(column);
        return value.isValid() ? value.toString() : QString();
    };
    BeforeScore b;
    b.firstName = text(0);
    b.lastName = text(1);
    b.session = text(2);
    b.allAroundAdjustment = statement->ownedValue(3);
    for (int i = 0; i < 4; ++i)
        b.finals[size_t(i)] = statement->ownedValue(4 + i);
    statement->reset();
    return std::optional<BeforeScore>(b);
}

std::optional<std::optional<GymnastsTable::AtEvent>> GymnastsTable::atEvent(const QString& num,
                                                                            int eventNumber) {
    const bool vault = eventNumber == MeetEvents::Vault;
    QStringList columns = attemptColumns(eventNumber);
    if (vault)
        columns += attemptColumns(MeetEvents::SecondVault);
    const DbRows rows = mDb.select(
        u"SELECT g.First_Name, g.Last_Name, c.\"Short Name\" AS GymName, g.Level, g.Squad, "
        "g.Birthday, g."_s +
            columns.join(u", g."_s) +
            u" FROM Gymnasts g LEFT OUTER JOIN Gyms c ON g.Gym = c.gymid WHERE g.Num = ? LIMIT 1"_s,
        {num});
    return oneRow(rows, mError, [&](const DbRows& r) {
        AtEvent a;
        a.firstName = r.text(0, u"First_Name"_s);
        a.lastName = r.text(0, u"Last_Name"_s);
        a.gymShortName = r.text(0, u"GymName"_s);
        a.level = r.value(0, u"Level"_s);
        a.squad = r.text(0, u"Squad"_s);
        a.birthday = r.value(0, u"Birthday"_s);
        a.first = attemptOf(r, eventNumber);
        if (vault)
            a.second = attemptOf(r, MeetEvents::SecondVault);
        return a;
    });
}

std::optional<QList<GymnastsTable::InSquad>>
GymnastsTable::squad(const QString& session, const QString& squad, int eventNumber) {
    const DbRows rows = mDb.select(
        u"SELECT Num, First_Name, Last_Name, "_s + MeetEvents::column(eventNumber, u"Final") +
            u" AS EventScore FROM Gymnasts WHERE Scratched = 0 AND "
            "\"Session\" = ? AND Squad = ? COLLATE NOCASE ORDER BY \"Order\""_s,
        {session, squad});
    return allRows(rows, mError, [](const DbRows& r, int i) {
        return InSquad{r.text(i, Num), r.text(i, u"First_Name"_s), r.text(i, u"Last_Name"_s),
                       r.value(i, u"EventScore"_s)};
    });
}

std::optional<QList<std::pair<QString, QString>>> GymnastsTable::sessionSquads() {
    const DbRows rows =
        mDb.select(u"SELECT DISTINCT [Session], Squad FROM Gymnasts "
                   "WHERE scratched = 0 AND Squad <> '' ORDER BY [Session], Squad"_s);
    return allRows(rows, mError, [](const DbRows& r, int i) {
        return std::pair<QString, QString>(r.text(i, Session), r.text(i, u"Squad"_s));
    });
}

std::optional<QList<GymnastsTable::Competing>> GymnastsTable::competingIn(const QString& session) {
    const DbRows rows = mDb.select(
        u"SELECT Num, First_Name, Last_Name, Gym, Level, Squad, \"Order\", Birthday, E1Final, "
        "E2Final, E3Final, E4Final, AA FROM Gymnasts WHERE Scratched = 0 AND Session = ?"_s,
        {session});
    return allRows(rows, mError, [](const DbRows& r, int i) {
        Competing c;
        c.num = r.text(i, Num);
        c.firstName = r.text(i, u"First_Name"_s);
        c.lastName = r.text(i, u"Last_Name"_s);
        c.gymId = r.value(i, u"Gym"_s).toLongLong();
        c.level = r.text(i, u"Level"_s);
        c.squad = r.text(i, u"Squad"_s);
        c.order = r.value(i, u"Order"_s);
        c.birthday = r.value(i, u"Birthday"_s);
        readFinals(r, i, c.finals);
        return c;
    });
}

bool GymnastsTable::saveDetails(const Details& edited) {
    mError.clear();
    // Her results move with her when her session changes: both sessions change.
    const DbRows before =
        mDb.select(u"SELECT Session FROM Gymnasts WHERE Num = ? LIMIT 1"_s, {edited.num});
    if (!before.ok())
        return failed(before.error());
    // A Null binding keeps the stored value (COALESCE): the editor had nothing to offer.
    if (!mDb.execute(
            u"UPDATE Gymnasts SET First_Name = ?, Last_Name = ?, USAG = ?, Birthday = ?, "
            "\"Order\" = ?, Level = COALESCE(?, Level), Session = COALESCE(?, Session), "
            "Squad = COALESCE(?, Squad), Gym = COALESCE(?, Gym), Scratched = ? WHERE Num = ?"_s,
            {edited.firstName, edited.lastName, edited.usag, edited.birthday, edited.order,
             edited.level, edited.session, edited.squad, edited.gymId, edited.scratched ? 1 : 0,
             edited.num}))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() == 0)
        return false;
    MeetChange change{Name, {edited.num}, edited.num, {}, {}, true};
    if (!before.isEmpty())
        change.sessions.append(before.text(0, Session));
    const QString session = edited.session.isNull() ? QString() : edited.session.toString();
    if (!session.isEmpty() && !change.sessions.contains(session))
        change.sessions.append(session);
    mDb.changes().record(std::move(change));
    return true;
}

bool GymnastsTable::storeScore(const QString& num, const QString& event, const QString& session,
                               const QList<std::pair<QString, QVariant>>& columns) {
    // A score of one event writes the same columns every time: the statement's
    // text is made once for each set of columns (one or two an event).
    struct Made {
        QStringList columns;
        QString sql;
    };
    thread_local QList<Made> made;
    const auto sameColumns = [&columns](const Made& each) {
        if (each.columns.size() != columns.size())
            return false;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (each.columns[i] != columns[i].first)
                return false;
        }
        return true;
    };
    auto found = std::find_if(made.cbegin(), made.cend(), sameColumns);
    if (found == made.cend()) {
        constexpr qsizetype MaxKept = 16;
        if (made.size() >= MaxKept)
            made.clear();
        Made fresh;
        QStringList assignments;
        for (const auto& [column, value] : columns) {
            fresh.columns.append(column);
            assignments.append(column + u" = ?"_s);
        }
        fresh.sql = u"UPDATE Gymnasts SET "_s + assignments.join(u", "_s) + u" WHERE Num = ?"_s;
        made.append(std::move(fresh));
        found = std::prev(made.cend());
    }
    const QString& sql = found->sql;
    QVariantList values;
    values.reserve(columns.size() + 1);
    for (const auto& [column, value] : columns)
        values.append(value);
    values.append(num);
    if (!mDb.execute(sql, values))
        return failed(mDb.lastError());
    if (mDb.rowsAffected() > 0)
        mDb.changes().record({Name, {num}, num, event, {session}, true});
    return true;
}
