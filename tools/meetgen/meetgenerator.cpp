#include "meetgenerator.h"

#include "db/meetschema.h"
#include "transfer/transferwriter.h"

#include <QDate>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace MeetGenerator {

namespace {

const QStringList FirstNames{
    u"Ava"_s,    u"Maya"_s,  u"Zoë"_s,    u"Chloé"_s,   u"Lena"_s,  u"Harper"_s, u"Renée"_s,
    u"Isla"_s,   u"Nora"_s,  u"Anaïs"_s,  u"Siobhán"_s, u"Priya"_s, u"Mila"_s,   u"Grace"_s,
    u"Leah"_s,   u"Sofia"_s, u"Maëlle"_s, u"Quinn"_s,   u"Aria"_s,  u"Tessa"_s,  u"Josie"_s,
    u"Kenzie"_s, u"Brynn"_s, u"Elodie"_s, u"Camila"_s,  u"Ruby"_s,  u"Hazel"_s,  u"Ivy"_s};
const QStringList LastNames{
    u"Brooks"_s,  u"O'Neil"_s,    u"Carter"_s, u"Park"_s,       u"D'Angelo"_s, u"Nuñez"_s,
    u"Müller"_s,  u"Whitfield"_s, u"Okafor"_s, u"Lindqvist"_s,  u"Ó Briain"_s, u"Santos"_s,
    u"Hale"_s,    u"Ferreira"_s,  u"Tran"_s,   u"Kowalski"_s,   u"Bennett"_s,  u"Moreau"_s,
    u"Adebayo"_s, u"Castillo"_s,  u"Novak"_s,  u"Fitzgerald"_s, u"Ishikawa"_s, u"Reyes"_s};

struct Gym {
    QString official;
    QString shortName;
    QString city;
    QString state;
};
const QList<Gym> Gyms{
    {u"Kestrel Gymnastics Academy"_s, u"Kestrel"_s, u"Milford"_s, u"OH"_s},
    {u"O'Hare Flyers Gymnastics"_s, u"O'Hare Flyers"_s, u"Des Plaines"_s, u"IL"_s},
    {u"Élan Gymnastics Club"_s, u"Élan"_s, u"Ann Arbor"_s, u"MI"_s},
    {u"Summit Tumbling Center"_s, u"Summit"_s, u"Fort Wayne"_s, u"IN"_s},
    {u"Riverbend Gym Club"_s, u"Riverbend"_s, u"Lexington"_s, u"KY"_s},
    {u"Northwind Athletics"_s, u"Northwind"_s, u"Erie"_s, u"PA"_s}};

const QStringList Levels{u"3"_s, u"4"_s, u"5"_s, u"6"_s};
const QStringList Squads{u"A"_s, u"B"_s, u"C"_s, u"D"_s};
const QDate MeetStart(2026, 3, 14);
constexpr int NumJudges = 2;

QString iso(const QDate& date) {
    return date.toString(u"yyyy-MM-dd"_s);
}

// A row of Nulls (Booleans False) for a table, filled in by column name.
class Row {
public:
    explicit Row(const QString& table)
        : mTable(*MeetSchema::table(table)) {
        for (const MeetSchema::Column& column : mTable.columns)
            mValues.append(column.type == MeetSchema::ColumnType::Boolean ? QVariant(0)
                                                                          : QVariant());
    }
    Row& set(const QString& column, const QVariant& value) {
        const int index = mTable.indexOf(column);
        Q_ASSERT(index >= 0);
        mValues[index] = value;
        return *this;
    }
    QVariantList values() const { return mValues; }

private:
    const MeetSchema::Table& mTable;
    QVariantList mValues;
};

double roundToTenth(double value) {
    return std::round(value * 20) / 20; // judges score in steps of 0.05
}

void add(MeetRows& meet, const QString& table, const Row& row) {
    meet[table].append(row.values());
}

struct AgeGroup {
    QString name;
    int low;
    int high;
};
const QList<AgeGroup> AgeGroups{{u"Junior"_s, 6, 9}, {u"Senior"_s, 10, 18}};

// Age group `a` of level `l`, as the meet's "Age Groups" and a session's
// "Session Age Groups" both hold it.
Row ageGroupRow(const QString& table, int l, int a) {
    Row row(table);
    row.set(u"EventID"_s, l + 1)
        .set(u"Level"_s, Levels[l])
        .set(u"MeetID"_s, 1)
        .set(u"AgeID"_s, l * 10 + a + 1)
        .set(u"Name"_s, AgeGroups[a].name)
        .set(u"Low_Age"_s, AgeGroups[a].low)
        .set(u"High_Age"_s, AgeGroups[a].high);
    return row;
}
constexpr int JudgeCount = 8;

void addMeet(MeetRows& meet) {
    add(meet, u"Meets"_s,
        Row(u"Meets"_s)
            .set(u"MeetID"_s, 1)
            .set(u"Name"_s, u"Lakeshore Spring Invitational"_s)
            .set(u"Facility"_s, u"Harbor View Fieldhouse"_s)
            .set(u"Address1"_s, u"1200 Harbor View Dr."_s)
            .set(u"Address2"_s, u""_s)
            .set(u"City"_s, u"Milford"_s)
            .set(u"State"_s, u"OH"_s)
            .set(u"Zip"_s, u"04532"_s)
            .set(u"Phone"_s, u"(513) 555-0142"_s)
            .set(u"Fax"_s, u""_s)
            .set(u"Start_Date"_s, iso(MeetStart))
            .set(u"End_Date"_s, iso(MeetStart.addDays(1)))
            .set(u"Director"_s, u"Dana Whitcombe"_s)
            .set(u"UseAgeDiv"_s, 1)
            .set(u"Num_Judges"_s, NumJudges)
            .set(u"Def_EventID"_s, 1)
            .set(u"ProNumber"_s, u"P-20931"_s)
            .set(u"Sanction"_s, u"26-0314"_s)
            .set(u"ScoreMethod"_s, 1)
            .set(u"Comp1"_s, 1));
}

// Per level: its event set, level row, age date and age groups.
void addLevels(MeetRows& meet) {
    const QStringList events{u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s};
    const QStringList shortNames{u"VT"_s, u"UB"_s, u"BB"_s, u"FX"_s};
    for (int l = 0; l < Levels.size(); ++l) {
        Row row(u"Events"_s);
        row.set(u"EventID"_s, l + 1)
            .set(u"Group"_s, u"Women's Artistic"_s)
            .set(u"Level_Name"_s, QString(u"Level "_s + Levels[l]))
            .set(u"NumEvents"_s, 4)
            .set(u"TwoScore"_s, 0)
            .set(u"NCAAScores"_s, 0)
            .set(u"HighScoreLimit"_s, 10)
            .set(u"LowScoreLimit"_s, 0);
        for (int e = 1; e <= 6; ++e) {
            row.set(u"Event%1"_s.arg(e), e <= 4 ? events[e - 1] : u""_s);
            row.set(u"Ev%1Short"_s.arg(e), e <= 4 ? shortNames[e - 1] : u""_s);
        }
        add(meet, u"Events"_s, row);
        add(meet, u"Levels"_s,
            Row(u"Levels"_s)
                .set(u"EventID"_s, l + 1)
                .set(u"Level"_s, Levels[l])
                .set(u"TAMethod"_s, u"Top 3"_s)
                .set(u"TAMethodAA"_s, u"Top 3"_s));
        add(meet, u"Age Dates"_s,
            Row(u"Age Dates"_s)
                .set(u"EventID"_s, l + 1)
                .set(u"Level"_s, Levels[l])
                .set(u"MeetID"_s, 1)
                .set(u"Age_Date"_s, iso(QDate(2026, 1, 1))));
    }

    for (int l = 0; l < Levels.size(); ++l) {
        for (int a = 0; a < AgeGroups.size(); ++a)
            add(meet, u"Age Groups"_s, ageGroupRow(u"Age Groups"_s, l, a));
    }
}

void addJudges(MeetRows& meet) {
    const QStringList judgeFirst{u"Marta"_s, u"Gordon"_s,     u"Inès"_s, u"Patrice"_s,
                                 u"Yuki"_s,  u"Bernadette"_s, u"Colm"_s, u"Deborah"_s};
    const QStringList judgeLast{u"Halvorsen"_s, u"McBride"_s, u"Laurent"_s,   u"D'Souza"_s,
                                u"Tanaka"_s,    u"Okonkwo"_s, u"Ó Dálaigh"_s, u"Pruitt"_s};
    for (int j = 0; j < JudgeCount; ++j) {
        add(meet, u"Judges"_s,
            Row(u"Judges"_s)
                .set(u"JudgeID"_s, j + 1)
                .set(u"City"_s, Gyms[j % Gyms.size()].city)
                .set(u"State"_s, Gyms[j % Gyms.size()].state)
                .set(u"FirstName"_s, judgeFirst[j])
                .set(u"LastName"_s, judgeLast[j])
                .set(u"Women"_s, 1)
                .set(u"WRating"_s, 2 + j % 3)
                .set(u"ProNumber"_s, u"J%1"_s.arg(4100 + j))
                .set(u"ProExpire"_s, iso(QDate(2027, 6, 30)))
                .set(u"SafetyExpire"_s, iso(QDate(2026, 12, 31)))
                .set(u"Email"_s, u"judge%1@example.org"_s.arg(j + 1))
                .set(u"Country"_s, u"USA"_s));
    }
}

// The sessions with their panels and age groups, levels taking turns.
void addSessions(MeetRows& meet, int sessions) {
    const QStringList times{u"8:00 AM"_s, u"12:30 PM"_s, u"5:00 PM"_s};
    for (int s = 0; s < sessions; ++s) {
        const QDate day = MeetStart.addDays(s * 2 / sessions);
        Row row(u"Sessions"_s);
        row.set(u"MeetID"_s, 1)
            .set(u"Session"_s, s + 1)
            .set(u"Desc"_s, u"Session %1 - %2"_s.arg(s + 1).arg(day.toString(u"dddd"_s)))
            .set(u"SDate"_s, iso(day))
            .set(u"Open_Warmup"_s, times[s % 3])
            .set(u"Timed_Warmup"_s, times[s % 3])
            .set(u"March_In"_s, times[s % 3])
            .set(u"Awards"_s, times[s % 3])
            .set(u"EventID"_s, s % Levels.size() + 1)
            .set(u"Ref"_s, (s % JudgeCount) + 1);
        for (int e = 1; e <= 4; ++e) {
            for (int j = 1; j <= NumJudges; ++j)
                row.set(u"E%1J%2"_s.arg(e).arg(j), ((e - 1) * NumJudges + j - 1) % JudgeCount + 1);
        }
        add(meet, u"Sessions"_s, row);
        const int level = s % Levels.size();
        for (int a = 0; a < AgeGroups.size(); ++a) {
            add(meet, u"Session Age Groups"_s,
                ageGroupRow(u"Session Age Groups"_s, level, a)
                    .set(u"Session"_s, QString::number(s + 1)));
        }
    }
}

// Each gym with its attendance and two coaches.
void addGyms(MeetRows& meet) {
    const QStringList coachFirst{u"Rick"_s, u"Alana"_s,  u"Tomás"_s,
                                 u"Jen"_s,  u"Viktor"_s, u"Kim"_s};
    for (int g = 0; g < Gyms.size(); ++g) {
        const Gym& gym = Gyms[g];
        add(meet, u"Gyms"_s,
            Row(u"Gyms"_s)
                .set(u"gymid"_s, g + 1)
                .set(u"official name"_s, gym.official)
                .set(u"Short Name"_s, gym.shortName)
                .set(u"address1"_s, u"%1 Industrial Pkwy"_s.arg(100 + g * 37))
                .set(u"address2"_s, u""_s)
                .set(u"city"_s, gym.city)
                .set(u"State"_s, gym.state)
                .set(u"zip"_s, u"4%1"_s.arg(5100 + g * 13))
                .set(u"phone"_s, u"(555) 010-%1"_s.arg(1000 + g))
                .set(u"contact"_s, QString(coachFirst[g] + u" "_s + LastNames[g]))
                .set(u"clubnum"_s, u"C%1"_s.arg(70 + g))
                .set(u"email"_s, u"office@gym%1.example.com"_s.arg(g + 1))
                .set(u"women"_s, 1));
        add(meet, u"Attend"_s,
            Row(u"Attend"_s)
                .set(u"MeetID"_s, 1)
                .set(u"GymID"_s, g + 1)
                .set(u"Short_Name"_s, gym.shortName)
                .set(u"Reg_Rcvd"_s, 1)
                .set(u"Comment"_s, g == 1 ? u"Paid at the door"_s : u""_s));
        for (int c = 0; c < 2; ++c) {
            add(meet, u"Coaches"_s,
                Row(u"Coaches"_s)
                    .set(u"coachid"_s, g * 2 + c + 1)
                    .set(u"gymid"_s, g + 1)
                    .set(u"firstname"_s, coachFirst[(g + c * 3) % coachFirst.size()])
                    .set(u"lastname"_s, LastNames[(g * 2 + c + 5) % LastNames.size()])
                    .set(u"city"_s, gym.city)
                    .set(u"State"_s, gym.state)
                    .set(u"pronumber"_s, u"K%1"_s.arg(2300 + g * 2 + c))
                    .set(u"proexpire"_s, iso(QDate(2027, 1, 31)))
                    .set(u"safetyexpire"_s, iso(QDate(2026, 8, 31))));
        }
    }
}

// The gymnasts in squads of the sessions, with scores when asked for.
void addGymnasts(MeetRows& meet, const Options& options, int sessions) {
    QRandomGenerator random(options.seed);
    const int perSquad = std::max(1, int(std::ceil(options.gymnasts / double(sessions * 4))));
    for (int i = 0; i < options.gymnasts; ++i) {
        const int session = std::min(i / (perSquad * 4), sessions - 1);
        const int squad = (i / perSquad) % 4;
        const int order = i % perSquad + 1;
        const int level = session % Levels.size();
        const int age = 7 + int(random.bounded(10));
        const QDate birthday =
            QDate(2026 - age, 1 + int(random.bounded(12)), 1).addDays(int(random.bounded(28)));
        Row row(u"Gymnasts"_s);
        row.set(u"MeetID"_s, 1)
            .set(u"Num"_s, QString::number(101 + i))
            .set(u"First_Name"_s, FirstNames[int(random.bounded(FirstNames.size()))])
            .set(u"Last_Name"_s, LastNames[int(random.bounded(LastNames.size()))])
            .set(u"Level"_s, Levels[level])
            .set(u"Birthday"_s, iso(birthday))
            .set(u"USAG"_s, QString::number(900000 + i * 7))
            .set(u"Session"_s, QString::number(session + 1))
            .set(u"Gym"_s, int(random.bounded(Gyms.size())) + 1)
            .set(u"Team1"_s, u""_s)
            .set(u"Team2"_s, u""_s)
            .set(u"Events"_s, 4)
            .set(u"USCitizen"_s, 1)
            .set(u"Squad"_s, Squads[squad])
            .set(u"Order"_s, order)
            .set(u"Hometown"_s, Gyms[i % Gyms.size()].city)
            .set(u"Country"_s, u"USA"_s)
            .set(u"State"_s, Gyms[i % Gyms.size()].state);
        if (options.scores) {
            double total = 0;
            double vault = 0;
            for (int e = 1; e <= 4; ++e) {
                double sum = 0;
                for (int j = 1; j <= NumJudges; ++j) {
                    const double score = roundToTenth(8.0 + random.generateDouble() * 1.9);
                    row.set(u"E%1S%2"_s.arg(e).arg(j), score);
                    sum += score;
                }
                const double final = sum / NumJudges;
                row.set(u"E%1Start"_s.arg(e), 10.0).set(u"E%1Final"_s.arg(e), final);
                total += final;
                if (e == 1)
                    vault = final;
            }
            row.set(u"AA"_s, total).set(u"E7AAFinal"_s, vault);
        }
        add(meet, u"Gymnasts"_s, row);
    }
}

} // namespace

MeetRows build(const Options& options) {
    MeetRows meet;
    const int sessions = std::max(3, int(std::ceil(options.gymnasts / 20.0)));
    addMeet(meet);
    addLevels(meet);
    addJudges(meet);
    addSessions(meet, sessions);
    addGyms(meet);
    addGymnasts(meet, options, sessions);
    return meet;
}

bool write(const MeetRows& meet, QIODevice* device, QString* error) {
    TransferWriter writer(device);
    writer.writeHeader();
    for (const MeetSchema::Table* table : MeetSchema::meetDataTables()) {
        const QList<QVariantList> rows = meet.value(table->name);
        for (qsizetype i = 0; i < rows.size(); ++i)
            writer.writeRecord(*table, i + 1, rows[i]);
        writer.writeTrailer(*table, rows.size());
    }
    if (!writer.finish()) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    return true;
}

} // namespace MeetGenerator
