#include "tempmeet.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

TempMeet::TempMeet() {
    QVERIFY2(mDir.isValid(), "temporary folder");
}

QString TempMeet::createMeetFile(const QString& fileName) {
    const QString file = path(fileName);
    QString error;
    if (!MeetDatabase::createMeetDatabase(file, &error))
        qFatal("creating %s failed: %s", qPrintable(file), qPrintable(error));
    return file;
}

void TempMeet::change(const QString& file, const QString& sql) {
    MeetDatabase db;
    if (!db.open(file) || !db.execute(sql))
        qFatal("%s on %s: %s", qPrintable(sql), qPrintable(file), qPrintable(db.lastError()));
}

QString TempMeet::createSampleMeet(const QString& fileName) {
    const QString file = createMeetFile(fileName);
    MeetDatabase db;
    if (!db.open(file))
        qFatal("opening %s failed: %s", qPrintable(file), qPrintable(db.lastError()));
    auto run = [&db](const QString& sql) {
        if (!db.execute(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(db.lastError()));
    };
    run(u"INSERT INTO Meets(MeetID, Name, Facility, City, State, Zip, Start_Date, End_Date, "
        "Director, UseAgeDiv, Num_Judges) VALUES(1, 'Spring Classic', 'Riverside Gym', "
        "'Springfield', 'IL', '02139', '2026-03-14', '2026-03-15', 'Dana Lee', 1, 3)"_s);
    run(u"INSERT INTO Sessions(MeetID, Session, \"Desc\", SDate) VALUES(1, 1, 'Saturday AM', "
        "'2026-03-14'), (1, 2, 'Saturday PM', '2026-03-14')"_s);
    run(u"INSERT INTO Gyms(gymid, \"official name\", \"Short Name\") VALUES(1, 'Riverside "
        "Gymnastics Academy', 'Riverside'), (2, 'O''Malley Tumbling', 'O''Malley')"_s);
    run(u"INSERT INTO Levels(EventID, Level) VALUES(1, '4'), (1, '5')"_s);
    run(u"INSERT INTO \"Age Groups\"(EventID, Level, MeetID, AgeID, Name, Low_Age, High_Age) "
        "VALUES(1, '4', 1, 1, 'Junior', 0, 9), (1, '4', 1, 2, 'Senior', 10, 99)"_s);
    run(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, Birthday, Session, "
        "Gym, Squad, \"Order\") VALUES(1, '101', 'Ava', 'Brooks', '4', '2016-05-02', '1', 1, 'A', "
        "1), (1, '102', 'Maya', 'O''Neil', '4', '2012-11-20', '1', 2, 'A', 2), (1, '103', 'Zoë', "
        "'Carter', '5', NULL, '1', 1, 'B', 1), (1, '201', 'Lena', 'Park', '5', '2013-01-09', '2', "
        "2, 'A', 1)"_s);
    db.close();
    return file;
}
