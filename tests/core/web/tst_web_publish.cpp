#include "childprogram.h"
#include "scoreload.h"
#include "servedmeet.h"
#include "tempmeet.h"
#include "teststation.h"
#include "transferfiles.h"
#include "web/resultsapi.h"
#include "web/sitefolder.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

using ServedMeet::DeadlineMs;
using ServedMeet::Pin;

// Every file under `folder`, by its path inside it.
QHash<QString, QByteArray> filesIn(const QString& folder) {
    QHash<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), TransferFiles::read(path));
    }
    return files;
}

} // namespace

// `tallvane publish` and `serve --publish` on a real meet file: the site holds
// the API's own answers and nothing private, it is replaced whole or not at
// all, and the command after each write (rclone here) runs without stopping
// the server when it fails.
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
    std::unique_ptr<ChildProgram> serve(const QStringList& options) {
        auto server = ServedMeet::serve(mMeet, mTemp.folder(), options);
        server->waitForLine(u"Publishing results to"_s, DeadlineMs);
        return server;
    }
    // A vault judge of `server` stores gymnast `num`'s score; its final.
    static QString storeVault(ChildProgram& server, int num) {
        TestStation judge(quint16(server.waitListening().section(u':', 1).toUInt()));
        if (!judge.waitConnected() ||
            !judge.loginJudge(u"Vault"_s, u"Judge 1"_s, Pin).startsWith(u"AUTHRESP|0"_s))
            return {};
        judge.send(ScoreLoad::sendScore(num, u"Vault"_s));
        for (QString message = judge.next(); !message.isEmpty(); message = judge.next()) {
            if (message == u"SCORECONFIRM|0"_s)
                return ScoreLoad::finalFor(num, u"Vault"_s);
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() {
        mMeet = mTemp.createSampleMeet();
        TempMeet::change(mMeet, u"UPDATE Gymnasts SET E1Final = 9.5, AA = 9.5 WHERE Num = '101'"_s);
        TempMeet::change(mMeet, u"UPDATE current_settings SET sessionid = '1'"_s);
        TransferFiles::write(mTemp.path(u"pin.txt"_s), Pin.toLatin1());
        // rclone without the user's own configuration.
        qputenv("RCLONE_CONFIG", QFile::encodeName(mTemp.path(u"rclone.conf"_s)));
    }

    void publishWritesTheApiAnswersAndNothingPrivate() {
        const QString site = mTemp.path(u"site"_s);
        const auto done = run({u"publish"_s, mMeet, site});
        QVERIFY2(done.status == 0, qPrintable(done.err));
        const auto files = filesIn(site);
        // The page's stylesheet and icon travel with it.
        for (const QString& path : {u"css/tallvane.css"_s, u"images/icon.svg"_s})
            QVERIFY2(files.contains(path), qPrintable(path));

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
        const auto again = run({u"publish"_s, mMeet, site + u"/"_s, u"--session"_s, u"2"_s});
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QVERIFY(!QFile::exists(site + u"/data/results-1.json"_s));
        QCOMPARE(QJsonDocument::fromJson(TransferFiles::read(site + u"/data/sessions.json"_s))
                     .array()
                     .size(),
                 1);
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
        QCOMPARE(TransferFiles::read(site + u"/index.html"_s), "old");
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u' ')));
    }

    void serveKeepsTheSiteCurrentAndSendsIt() {
        const QString site = mTemp.path(u"live"_s);
        const QString copy = mTemp.path(u"copy"_s);
        auto server = serve({u"--publish"_s, site, u"--publish-every"_s, u"1"_s,
                             u"--publish-command"_s, u"rclone sync '%1' '%2'"_s.arg(site, copy)});
        const auto sent = [&](const QString& needle) {
            const QByteArray published = TransferFiles::read(site + u"/data/results-1.json"_s);
            return published.contains(needle.toUtf8()) &&
                   TransferFiles::read(copy + u"/data/results-1.json"_s) == published;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(sent(u"Ava Brooks"_s), qPrintable(server->everything()),
                                  DeadlineMs);
        QVERIFY(TransferFiles::read(copy + u"/index.html"_s).contains("data-published"));

        const QString final = storeVault(*server, 101);
        QVERIFY(!final.isEmpty());
        QTRY_VERIFY2_WITH_TIMEOUT(sent(final), qPrintable(server->everything()), DeadlineMs);
        QVERIFY(server->stop(SIGTERM));
        QVERIFY2(!server->everything().contains(u"failed"_s), qPrintable(server->everything()));
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u' ')));
    }

    void aSlowFailingCommandRunsOnceAtATimeAndIsOneAlert() {
        const QString site = mTemp.path(u"failing"_s);
        const QString runs = mTemp.path(u"runs.txt"_s);
        const QString lock = mTemp.path(u"running"_s);
        // An upload slower than the period, that fails: a second run while
        // one is under way would find the lock taken.
        auto server =
            serve({u"--publish"_s, site, u"--publish-every"_s, u"1"_s, u"--publish-command"_s,
                   u"mkdir '%1' || echo twice >> '%2'; echo run >> '%2'; sleep 2; rmdir '%1'; "
                   "echo no route to host >&2; exit 3"_s.arg(lock, runs)});
        const auto commandRuns = [&runs] {
            return TransferFiles::read(runs).count("run");
        };
        QTRY_COMPARE_WITH_TIMEOUT(commandRuns(), 1, DeadlineMs);
        const QString final = storeVault(*server, 102);
        QVERIFY(!final.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(
            TransferFiles::read(site + u"/data/results-1.json"_s).contains(final.toLatin1()),
            DeadlineMs);
        // That write came while the first run went on; its run follows.
        QTRY_VERIFY_WITH_TIMEOUT(commandRuns() >= 2, DeadlineMs);
        QVERIFY(!storeVault(*server, 103).isEmpty());
        // Each run starts after the one before has ended, so once the third
        // runs the second has been told.
        QTRY_VERIFY_WITH_TIMEOUT(commandRuns() >= 3, DeadlineMs);
        QVERIFY2(!TransferFiles::read(runs).contains("twice"),
                 TransferFiles::read(runs).constData());
        QCOMPARE(server->everything().count(
                     u"The command after publishing the results failed (exit status "
                     "3): no route to host"_s),
                 1);
        QVERIFY(server->stop(SIGTERM));
    }
};

QTEST_GUILESS_MAIN(TestWebPublish)
#include "tst_web_publish.moc"
