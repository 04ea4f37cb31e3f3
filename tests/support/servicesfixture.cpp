#include "servicesfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

DisplayTimings ServicesFixture::quickTimings() {
    DisplayTimings timings;
    timings.startDelayMs = 20;
    timings.idlePollMs = 20;
    timings.watchdogMs = 60000;
    timings.pauseAfterShownMs = 50;
    timings.msPerDisplaySecond = 10;
    return timings;
}

ServicesFixture::ServicesFixture(const DisplayTimings& timings, bool displaysRunning)
    : mState(mTemp.folder()) {
    mState.loadSettings();
    mState.setPin(QString::fromLatin1(Pin));
    mState.setPortNumber(u"0"_s);
    QString error;
    if (!mState.openMeetFile(mTemp.createSampleMeet(), &error))
        qFatal("opening the meet failed: %s", qPrintable(error));
    mServer = std::make_unique<ScoringServer>(mState, mAlerts);
    mServices = std::make_unique<MeetServices>(mState, mServer->link(), mAlerts, timings);
    mServer->setServices(mServices.get());
    mResult = mServer->start();
    if (!displaysRunning)
        mServices->dispatch().pauseAll();
}

ServicesFixture::~ServicesFixture() {
    mStations.clear();
    mServer.reset();
}

TestStation& ServicesFixture::connect(bool lineMode) {
    mStations.push_back(std::make_unique<TestStation>(quint16(mServer->port()), lineMode));
    TestStation& station = *mStations.back();
    if (!station.waitConnected())
        qWarning("station could not connect: %s", qPrintable(station.socket().errorString()));
    return station;
}

TestStation& ServicesFixture::judge(const QString& event, int judge) {
    TestStation& station = connect();
    const QString reply = station.loginJudge(
        event, u"Judge %1"_s.arg(judge), QString::fromLatin1(Pin), u"1"_s, QString::number(judge));
    if (!reply.startsWith(u"AUTHRESP|0"_s))
        qWarning("judge log-in refused: %s", qPrintable(reply));
    return station;
}

TestStation& ServicesFixture::display(const QString& name, bool lineMode) {
    TestStation& station = connect(lineMode);
    const QString reply = station.loginDisplay(name, QString::fromLatin1(Pin));
    if (!reply.startsWith(u"AUTHRESP|0"_s))
        qWarning("display log-in refused: %s", qPrintable(reply));
    return station;
}

void ServicesFixture::run(const QString& sql, const QVariantList& values) {
    if (!db().execute(sql, values))
        qFatal("%s: %s", qPrintable(sql), qPrintable(db().lastError()));
}
