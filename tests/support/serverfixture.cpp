#include "serverfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

DisplayTimings ServerFixture::quickTimings() {
    // Start delay, idle poll, watchdog, pause after a score, ms per display second.
    return {20, 20, 60000, 50, 10};
}

ServerFixture::ServerFixture(const QString& meetFile, const DisplayTimings& timings,
                             bool displaysRunning)
    : mState(mTemp.folder()) {
    mState.loadSettings();
    mState.setPin(QString::fromLatin1(Pin));
    mState.setPortNumber(u"0"_s);
    const QString file = meetFile.isEmpty() ? mTemp.createSampleMeet() : meetFile;
    QString error;
    if (!mState.openMeetFile(file, &error))
        qFatal("opening the meet failed: %s", qPrintable(error));
    mMeet = std::make_unique<MeetServer>(mState, timings);
    mResult = mMeet->start();
    if (!displaysRunning)
        mMeet->services().dispatch().pauseAll();
}

// The stations hang up before the server goes.
ServerFixture::~ServerFixture() {
    mStations.clear();
    mMeet.reset();
}

TestStation& ServerFixture::station(bool lineMode) {
    mStations.push_back(std::make_unique<TestStation>(port(), lineMode));
    TestStation& station = *mStations.back();
    if (!station.waitConnected())
        qWarning("station could not connect: %s", qPrintable(station.socket().errorString()));
    return station;
}

TestStation& ServerFixture::judge(const QString& event, int judge) {
    TestStation& s = station();
    const QString reply = s.loginJudge(event, judge, pin());
    if (!reply.startsWith(u"AUTHRESP|0"_s))
        qWarning("judge log-in refused: %s", qPrintable(reply));
    return s;
}

TestStation& ServerFixture::display(const QString& name, bool lineMode) {
    TestStation& s = station(lineMode);
    const QString reply = s.loginDisplay(name, pin());
    if (!reply.startsWith(u"AUTHRESP|0"_s))
        qWarning("display log-in refused: %s", qPrintable(reply));
    return s;
}

void ServerFixture::run(const QString& sql, const QVariantList& values) {
    if (!db().execute(sql, values))
        qFatal("%s: %s", qPrintable(sql), qPrintable(db().lastError()));
}

int ServerFixture::connectionRows(const QString& where, const QVariantList& values) {
    const DbRows rows = db().select(u"SELECT count(*) AS n FROM Connections "_s + where, values);
    return rows.ok() ? rows.value(0, u"n"_s).toInt() : -1;
}

QStringList ServerFixture::judgeLines() const {
    return mMeet->server().judgeStations()->stringList();
}

QStringList ServerFixture::displayLines() const {
    return mMeet->server().scoreboards()->stringList();
}
