#include "childprogram.h"
#include "tempmeet.h"
#include "web/resultsapi.h"
#include "web/sitefolder.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Pin = u"86420"_s;

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file under `folder`, by its path inside it.
QHash<QString, QByteArray> filesIn(const QString& folder) {
    QHash<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), contents(path));
    }
    return files;
}

} // namespace

// `tallvane publish` on a real meet file: the site holds the API's own
// answers and nothing private, and it is replaced whole or not at all.
class TestWebPublish : public QObject {
    Q_OBJECT

    TempMeet mTemp;
    QString mMeet;

    ChildProgram::Finished run(const QStringList& arguments) {
        return ChildProgram::runTallvane(arguments, mTemp.folder());
    }
    // Folders a write left beside its target.
    QStringList leftovers() const {
        return QDir(mTemp.folder())
            .entryList({u".*.new-*"_s, u".*.old-*"_s}, QDir::AllEntries | QDir::Hidden);
    }
private Q_SLOTS:
    void initTestCase() {
        mMeet = mTemp.createSampleMeet();
        TempMeet::change(mMeet, u"UPDATE Gymnasts SET E1Final = 9.5, AA = 9.5 WHERE Num = '101'"_s);
        TempMeet::change(mMeet, u"UPDATE current_settings SET sessionid = '1'"_s);
        QFile pin(mTemp.path(u"pin.txt"_s));
        QVERIFY(pin.open(QIODevice::WriteOnly));
        pin.write(Pin.toLatin1());
        pin.close();
    }

    void publishWritesTheApiAnswersAndNothingPrivate() {
        const QString site = mTemp.path(u"site"_s);
        const auto done = run({u"publish"_s, mMeet, site});
        QVERIFY2(done.status == 0, qPrintable(done.err));
        const auto files = filesIn(site);
        for (const QString& path :
             {u"index.html"_s, u"css/tallvane.css"_s, u"images/icon.svg"_s, u"js/results.js"_s,
              u"js/liveresults.js"_s, u"js/resultsview.js"_s, u"data/meet.json"_s})
            QVERIFY2(files.contains(path), qPrintable(path));
        QVERIFY(files[u"index.html"_s].contains("<body class=\"results\" data-published>"));
        QCOMPARE(QJsonDocument::fromJson(files[u"data/meet.json"_s])[u"name"_s].toString(),
                 u"Spring Classic"_s);

        MeetDatabase db;
        QVERIFY(db.open(mMeet));
        ResultsApi api(db, [] { return u"1"_s; });
        const auto served = [&api](const QString& path, const QString& query) {
            return api.answer(path, QUrlQuery(query))->body;
        };
        QCOMPARE(files[u"data/sessions.json"_s], served(u"/api/sessions"_s, {}));
        const QHash<QString, QStringList> levels{{u"1"_s, {u"4"_s, u"5"_s}}, {u"2"_s, {u"5"_s}}};
        for (const QString& session : {u"1"_s, u"2"_s}) {
            QCOMPARE(files[u"data/results-%1.json"_s.arg(session)],
                     served(u"/api/results"_s, u"session="_s + session));
            const QJsonArray teams =
                QJsonDocument::fromJson(files[u"data/teams-%1.json"_s.arg(session)]).array();
            QCOMPARE(teams.size(), levels[session].size());
            for (qsizetype i = 0; i < teams.size(); ++i)
                QCOMPARE(QJsonDocument(teams[i].toObject()).toJson(QJsonDocument::Compact),
                         served(u"/api/teams"_s,
                                u"session=%1&level=%2"_s.arg(session, levels[session][i])));
        }
        QVERIFY(files[u"data/results-1.json"_s].contains("Ava Brooks"));
        // The PIN, a birthday, the director and the meet's address stay home.
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            for (const QByteArray& secret :
                 {Pin.toLatin1(), "2016-05-02"_ba, "Dana Lee"_ba, "02139"_ba})
                QVERIFY2(!file.value().contains(secret), qPrintable(file.key()));
        }

        // Published again, one session only: the folder is replaced whole.
        const auto again = run({u"publish"_s, mMeet, site, u"--session"_s, u"2"_s});
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QVERIFY(!QFile::exists(site + u"/data/results-1.json"_s));
        QCOMPARE(QJsonDocument::fromJson(contents(site + u"/data/sessions.json"_s)).array().size(),
                 1);
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u' ')));
    }

    void badInputLeavesNothingBehind_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString site = mTemp.path(u"bad-site"_s);
        QTest::newRow("unknown session")
            << QStringList{site, u"--session"_s, u"9"_s} << 1 << u"no session 9"_s;
        QTest::newRow("session no number")
            << QStringList{site, u"--session"_s, u"x"_s} << 2 << u"not a session number"_s;
        QTest::newRow("no folder") << QStringList{} << 2 << u"usage:"_s;
        QTest::newRow("unknown option") << QStringList{site, u"--sessions"_s} << 2 << u"sessions"_s;
        QTest::newRow("folder in a file")
            << QStringList{mTemp.path(u"pin.txt/site"_s)} << 1 << u"does not exist"_s;
        QTest::newRow("folder of other files")
            << QStringList{mTemp.folder()} << 1 << u"not published results"_s;
    }
    void badInputLeavesNothingBehind() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const auto done = run(QStringList{u"publish"_s, mMeet} + arguments);
        QCOMPARE(done.status, status);
        QVERIFY2(done.err.contains(message), qPrintable(done.err));
        QVERIFY(!QFile::exists(mTemp.path(u"bad-site"_s)));
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u' ')));
    }

    void aWriteThatFailsLeavesTheSiteAsItWas() {
        const QString site = mTemp.path(u"kept"_s);
        QString error;
        QVERIFY(SiteFolder::write(site, {{u"index.html"_s, "old"}, {u"data/sessions.json"_s, "[]"}},
                                  &error));
        // A file where a folder must go fails the write half-way.
        QVERIFY(
            !SiteFolder::write(site, {{u"index.html"_s, "new"}, {u"index.html/x"_s, "x"}}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(contents(site + u"/index.html"_s), "old");
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestWebPublish)
#include "tst_web_publish.moc"
