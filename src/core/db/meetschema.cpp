#include "meetschema.h"

#include "connectionstable.h"

using namespace Qt::Literals::StringLiterals;

namespace MeetSchema {

namespace {

using T = ColumnType;
using C = ConnectionsTable;

Column text(const QString& name, int length) {
    return {name, T::Text, length};
}
Column lng(const QString& name) {
    return {name, T::Long, 0};
}
Column dbl(const QString& name) {
    return {name, T::Double, 0};
}
Column date(const QString& name) {
    return {name, T::Date, 0};
}
Column flag(const QString& name) {
    return {name, T::Boolean, 0};
}

// Columns named prefix1 ... prefixN + suffix, all of one type.
QList<Column> numbered(const QString& prefix, int count, const QString& suffix, T type,
                       int length = 0) {
    QList<Column> columns;
    for (int i = 1; i <= count; ++i)
        columns.append({prefix + QString::number(i) + suffix, type, length});
    return columns;
}

Table meets() {
    return {u"Meets"_s, {lng(u"MeetID"_s),         text(u"Name"_s, 200),
                         text(u"Facility"_s, 200), text(u"Address1"_s, 200),
                         text(u"Address2"_s, 200), text(u"City"_s, 100),
                         text(u"State"_s, 5),      text(u"Zip"_s, 20),
                         text(u"Phone"_s, 20),     text(u"Fax"_s, 20),
                         date(u"Start_Date"_s),    date(u"End_Date"_s),
                         text(u"Director"_s, 100), flag(u"UseAgeDiv"_s),
                         lng(u"Num_Judges"_s),     lng(u"Def_EventID"_s),
                         text(u"ProNumber"_s, 10), text(u"Sanction"_s, 10),
                         text(u"MSOMeetID"_s, 10), text(u"MSOPassword"_s, 50),
                         lng(u"ScoreMethod"_s),    flag(u"Comp1"_s),
                         flag(u"Comp2"_s),         flag(u"Comp3"_s),
                         flag(u"Comp4"_s),         flag(u"InternationalStyle"_s),
                         flag(u"AltReport"_s)}};
}

Table events() {
    QList<Column> c{lng(u"EventID"_s), text(u"Group"_s, 100), text(u"Level_Name"_s, 100)};
    c += numbered(u"Event"_s, 6, {}, T::Text, 50);
    c += lng(u"NumEvents"_s);
    c += numbered(u"Ev"_s, 6, u"ScoreIDs"_s, T::Text, 10);
    c += numbered(u"Ev"_s, 6, u"KeypadIDs"_s, T::Text, 10);
    c += QList<Column>{
        lng(u"TwoScore"_s),         text(u"AlphaID1"_s, 10),        text(u"AlphaID2"_s, 10),
        text(u"AlphaRow1"_s, 50),   text(u"AlphaCol1"_s, 50),       text(u"AlphaRow2"_s, 50),
        text(u"AlphaCol2"_s, 50),   text(u"GridLayoutFile"_s, 100), text(u"AlphaHeight1"_s, 10),
        text(u"AlphaWidth1"_s, 51), text(u"AlphaHeight2"_s, 10),    text(u"AlphaWidth2"_s, 10),
        lng(u"NCAAScores"_s)};
    c += numbered(u"Ev"_s, 6, u"MiniIDs"_s, T::Text, 10);
    c += numbered(u"Ev"_s, 6, u"Short"_s, T::Text, 10);
    c += QList<Column>{lng(u"HighScoreLimit"_s), lng(u"LowScoreLimit"_s),
                       text(u"AlphaIPAddress1"_s, 50)};
    return {u"Events"_s, c};
}

QList<Column> ageGroupTail() {
    return {text(u"Name"_s, 50),   lng(u"Low_Age"_s),   lng(u"High_Age"_s),
            date(u"Start_Date"_s), date(u"End_Date"_s), flag(u"Use_Dates"_s)};
}

Table sessions() {
    QList<Column> c{
        lng(u"MeetID"_s),        lng(u"Session"_s),          text(u"Desc"_s, 100),
        date(u"SDate"_s),        text(u"Open_Warmup"_s, 20), text(u"Timed_Warmup"_s, 20),
        text(u"March_In"_s, 20), text(u"Awards"_s, 20),      lng(u"EventID"_s)};
    for (int event = 1; event <= 6; ++event)
        c += numbered(u"E"_s + QString::number(event) + u"J"_s, 7, {}, T::Long);
    c += lng(u"Ref"_s);
    return {u"Sessions"_s, c};
}

Table judges() {
    return {u"Judges"_s,
            {lng(u"JudgeID"_s),       text(u"Address"_s, 100),  text(u"City"_s, 100),
             text(u"State"_s, 10),    text(u"Zip"_s, 20),       text(u"Phone"_s, 20),
             text(u"Fax"_s, 20),      text(u"FirstName"_s, 50), text(u"LastName"_s, 50),
             flag(u"Women"_s),        flag(u"Men"_s),           flag(u"Rythmic"_s),
             flag(u"Acro"_s),         flag(u"TNT"_s),           lng(u"WRating"_s),
             lng(u"MRating"_s),       lng(u"RRating"_s),        lng(u"ARating"_s),
             lng(u"TRating"_s),       text(u"ProNumber"_s, 10), date(u"ProExpire"_s),
             date(u"SafetyExpire"_s), text(u"Email"_s, 100),    text(u"Country"_s, 10)}};
}

Table attend() {
    static const char* const sizes[] = {"CS", "CM", "CL", "CX", "AS", "AM", "AL", "AX"};
    static const char* const addSizes[] = {"XS", "CS", "CM", "CL", "CX", "AS",
                                           "AM", "AL", "AX", "2X", "3X"};
    QList<Column> c{lng(u"MeetID"_s), lng(u"GymID"_s), text(u"Short_Name"_s, 100),
                    flag(u"Reg_Rcvd"_s)};
    for (const char* size : sizes)
        c += lng(u"TSize_"_s + QLatin1StringView(size));
    c += QList<Column>{text(u"Comment"_s, 250), lng(u"TSize_XS"_s), lng(u"TSize_2X"_s),
                       lng(u"TSize_3X"_s), flag(u"AutoCalc"_s)};
    for (const char* size : addSizes)
        c += lng(u"AddTSize_"_s + QLatin1StringView(size));
    return {u"Attend"_s, c};
}

Table gyms() {
    return {u"Gyms"_s,
            {lng(u"gymid"_s),
             text(u"official name"_s, 100),
             text(u"Short Name"_s, 100),
             text(u"address1"_s, 100),
             text(u"address2"_s, 100),
             text(u"city"_s, 50),
             text(u"State"_s, 10),
             text(u"zip"_s, 10),
             text(u"phone"_s, 20),
             text(u"fax"_s, 20),
             text(u"contact"_s, 50),
             text(u"contact_phone"_s, 20),
             text(u"clubnum"_s, 10),
             text(u"email"_s, 100),
             text(u"weburl"_s, 100),
             flag(u"women"_s),
             flag(u"men"_s),
             flag(u"rythmic"_s),
             flag(u"acro"_s),
             flag(u"tnt"_s)}};
}

Table coaches() {
    return {u"Coaches"_s,
            {lng(u"coachid"_s), lng(u"gymid"_s), text(u"firstname"_s, 50), text(u"lastname"_s, 50),
             text(u"address"_s, 100), text(u"city"_s, 50), text(u"State"_s, 10), text(u"zip"_s, 10),
             text(u"phone"_s, 20), text(u"fax"_s, 20), text(u"pronumber"_s, 10),
             date(u"proexpire"_s), date(u"safetyexpire"_s), text(u"email"_s, 100)}};
}

Table gymnasts() {
    QList<Column> c{lng(u"MeetID"_s),         text(u"Num"_s, 20),     text(u"First_Name"_s, 50),
                    text(u"Last_Name"_s, 50), text(u"Level"_s, 5),    date(u"Birthday"_s),
                    text(u"USAG"_s, 10),      text(u"Session"_s, 10), lng(u"Gym"_s),
                    text(u"Team1"_s, 10),     text(u"Team2"_s, 10),   flag(u"Scratched"_s),
                    lng(u"Events"_s),         flag(u"USCitizen"_s),   text(u"Squad"_s, 10),
                    lng(u"Order"_s)};
    for (int event = 1; event <= 6; ++event) {
        const QString prefix = u"E"_s + QString::number(event);
        c += numbered(prefix + u"S"_s, 7, {}, T::Double);
        c += QList<Column>{dbl(prefix + u"Adj"_s), dbl(prefix + u"Final"_s)};
    }
    c += QList<Column>{dbl(u"AAAdj"_s), dbl(u"AA"_s)};
    c += numbered(u"E"_s, 6, u"Flag"_s, T::Boolean);
    c += numbered(u"E7S"_s, 7, {}, T::Double);
    c += dbl(u"E7Adj"_s);
    c += numbered(u"E"_s, 6, u"Order"_s, T::Double);
    c += QList<Column>{dbl(u"Team3"_s), text(u"TSize"_s, 10)};
    c += numbered(u"E"_s, 7, u"Start"_s, T::Double);
    c += QList<Column>{flag(u"AAFlag"_s), flag(u"MSOUpdate"_s)};
    c += numbered(u"E"_s, 7, u"BScore"_s, T::Double);
    c += QList<Column>{text(u"Hometown"_s, 100), text(u"Country"_s, 10), text(u"State"_s, 10),
                       dbl(u"E7AAFinal"_s)};
    return {u"Gymnasts"_s, c};
}

QList<Table> buildTables() {
    QList<Table> all;
    all << meets() << events()
        << Table{u"Levels"_s,
                 {lng(u"EventID"_s), text(u"Level"_s, 5), text(u"TAMethod"_s, 10),
                  text(u"TAMethodAA"_s, 10)}}
        << Table{u"Age Groups"_s, QList<Column>{lng(u"EventID"_s), text(u"Level"_s, 10),
                                                lng(u"MeetID"_s), lng(u"AgeID"_s)} +
                                      ageGroupTail()}
        << Table{u"Session Age Groups"_s,
                 QList<Column>{lng(u"EventID"_s), text(u"Level"_s, 10), lng(u"MeetID"_s),
                               text(u"Session"_s, 100), lng(u"AgeID"_s)} +
                     ageGroupTail()}
        << Table{u"Age Dates"_s,
                 {lng(u"EventID"_s), text(u"Level"_s, 5), lng(u"MeetID"_s), date(u"Age_Date"_s)}}
        << sessions() << judges() << attend() << gyms() << coaches() << gymnasts()
        << Table{u"Connections"_s,
                 {lng(C::SocketId), text(C::Type, 20), text(C::Address, 20),
                  text(C::EventName, C::NameLength), text(C::JudgeName, C::NameLength),
                  lng(C::JudgeNumber), lng(C::ListIndex), lng(C::HeartBeat)},
                 false}
        << Table{u"ScoreBoardQueue"_s,
                 {text(u"num"_s, 20), text(u"GymnastName"_s, 100), text(u"EventName"_s, 20),
                  text(u"Score"_s, 10), lng(u"DisplaySeconds"_s), date(u"QueueTime"_s),
                  text(u"QueueTimeNum"_s, 20), flag(u"corrected"_s), text(u"Status"_s, 20)},
                 false}
        << Table{u"current_settings"_s,
                 {text(u"sessionid"_s, 50), text(u"session_desc"_s, 100)},
                 false};
    return all;
}

QString columnDefinition(const Table& table, const Column& column) {
    const QString name = quotedName(column.name);
    switch (column.type) {
    case T::Long:
        return name + u" INTEGER"_s;
    case T::Double:
        return name + u" REAL"_s;
    case T::Date:
        return name + u" TEXT"_s;
    case T::Boolean:
        return name + u" INTEGER NOT NULL DEFAULT 0 CHECK ("_s + name + u" IN (0, 1))"_s;
    case T::Text:
        // The constraint's name is what SQLite reports when a value is too long.
        return name + u" TEXT CONSTRAINT "_s +
               quotedName(table.name + u"."_s + column.name + u" is longer than "_s +
                          QString::number(column.length) + u" characters"_s) +
               u" CHECK (length("_s + name + u") <= "_s + QString::number(column.length) + u")"_s;
    }
    return name;
}

} // namespace

int Table::indexOf(const QString& column) const {
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const QList<Table>& tables() {
    static const QList<Table> all = buildTables();
    return all;
}

QList<const Table*> meetDataTables() {
    QList<const Table*> result;
    for (const Table& t : tables()) {
        if (t.meetData)
            result.append(&t);
    }
    return result;
}

const Table* table(const QString& name) {
    for (const Table& t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString quotedName(const QString& name) {
    QString escaped = name;
    escaped.replace(u'"', u"\"\""_s);
    return u'"' + escaped + u'"';
}

QString createStatement(const Table& table) {
    QStringList definitions;
    for (const Column& column : table.columns)
        definitions.append(columnDefinition(table, column));
    return u"CREATE TABLE "_s + quotedName(table.name) + u" ("_s + definitions.join(u", "_s) +
           u")"_s;
}

QStringList indexStatements() {
    return {
        u"CREATE INDEX IF NOT EXISTS TallvaneGymnastsNum ON Gymnasts(Num)"_s,
        u"CREATE INDEX IF NOT EXISTS TallvaneQueueNumEvent ON ScoreBoardQueue(num, EventName)"_s,
        // Only the waiting rows: a score's row leaves it when shown, and a
        // shown row costs the index nothing more.
        u"CREATE INDEX IF NOT EXISTS TallvaneQueueWaiting "
        "ON ScoreBoardQueue(EventName, QueueTimeNum) WHERE Status = 'Queued'"_s};
}

} // namespace MeetSchema
