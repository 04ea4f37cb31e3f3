#include "childprogram.h"
#include "results/resultstablemodel.h"
#include "serverfixture.h"
#include "shell/meetinfo.h"
#include "web/resultsapi.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Gymnast 101 of the sample meet (level 4, born 2016-05-02) as every view of
// the meet places her: the operator's results grid, the results API, a judge's
// gymnast answer and the printed results. Her level has the age groups Junior
// (0 to 9, id 1) and Senior (10 to 99, id 2).
class TestResultsMeetStart : public QObject {
    Q_OBJECT

    static QString gridDivision(ResultsTableModel& grid) {
        QStringList in;
        for (const auto& [ageId, name] : {std::pair{1, u"Junior"_s}, std::pair{2, u"Senior"_s}}) {
            ResultsFilter filter;
            filter.session = u"1"_s;
            filter.ageId = ageId;
            if (!grid.show(filter))
                return grid.error();
            if (!grid.match(grid.index(0, 1), Qt::DisplayRole, u"101"_s, 1, Qt::MatchFixedString)
                     .isEmpty())
                in.append(name);
        }
        return in.join(u'+');
    }

    static QString apiDivision(ResultsApi& api) {
        const auto reply = api.answer(u"/api/results"_s, QUrlQuery(u"session=1"_s));
        const QJsonArray rows = QJsonDocument::fromJson(reply->body)[u"rows"_s].toArray();
        for (const QJsonValue& row : rows) {
            if (row[u"num"_s].toString() == u"101"_s)
                return row[u"division"_s].toString();
        }
        return u"(not listed)"_s;
    }

    static QString padAgeGroup(TestStation& vault) {
        return vault.ask(u"GYMNASTQUERY|101|Vault|2"_s).split(u'|').value(7);
    }

    static QString printedDivision(ServerFixture& f) {
        const QString csv = f.temp().path(u"results.csv"_s);
        QFile::remove(csv);
        const auto done = ChildProgram::runTallvane(
            {u"results"_s, f.db().filePath(), u"--session"_s, u"1"_s, u"--csv"_s, csv},
            f.temp().folder());
        QFile file(csv);
        if (done.status != 0 || !file.open(QIODevice::ReadOnly))
            return done.err;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u"\r\n"_s)) {
            const QStringList fields = line.split(u',');
            if (fields.value(4) == u"101"_s)
                return fields.value(2);
        }
        return u"(not printed)"_s;
    }

private Q_SLOTS:
    // A new start date moves her age group everywhere at once, and the meet's
    // live results hear that every session changed.
    void newStartDateMovesTheAgeGroupEverywhere() {
        SERVER_FIXTURE(f);
        ResultsTableModel grid(f.db());
        ResultsApi api(f.db(), {});
        TestStation& vault = f.judge(u"Vault"_s, 2);
        const auto views = [&] {
            return QStringList{gridDivision(grid), apiDivision(api), padAgeGroup(vault),
                               printedDivision(f)};
        };
        QCOMPARE(views(), QStringList(4, u"Senior"_s)); // ten in 2026

        QSignalSpy told(&f.db().changes(), &MeetChanges::resultsChangedIn);
        QString error;
        const MeetInfo::Edits edits{u"2025-03-14"_s, u"2025-03-15"_s, 3, u"10"_s};
        QCOMPARE(MeetInfo::save(f.state(), edits, &error), MeetInfo::Result::Ok);
        QCOMPARE(views(), QStringList(4, u"Junior"_s)); // nine in 2025
        QCOMPARE(told.size(), 2);
        QCOMPARE((QStringList{told[0][0].toString(), told[1][0].toString()}),
                 QStringList({u"1"_s, u"2"_s}));

        // Saving the same date again changes nothing anyone must hear of.
        QCOMPARE(MeetInfo::save(f.state(), edits, &error), MeetInfo::Result::Ok);
        QCOMPARE(told.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestResultsMeetStart)
#include "tst_results_meetstart.moc"
