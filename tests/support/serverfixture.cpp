#include "serverfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

ServerFixture::ServerFixture(const QString& meetFile)
    : mState(mTemp.folder()) {
    mState.loadSettings();
    mState.setPin(QString::fromLatin1(Pin));
    mState.setPortNumber(u"0"_s);
    const QString file = meetFile.isEmpty() ? mTemp.createSampleMeet() : meetFile;
    QString error;
    if (!mState.openMeetFile(file, &error))
        qFatal("opening the meet failed: %s", qPrintable(error));
    mServer = std::make_unique<ScoringServer>(mState, mAlerts);
    mResult = mServer->start();
}

TestStation& ServerFixture::station(bool lineMode) {
    mStations.push_back(std::make_unique<TestStation>(port(), lineMode));
    TestStation& station = *mStations.back();
    if (!station.waitConnected())
        qWarning("station could not connect: %s", qPrintable(station.socket().errorString()));
    return station;
}

int ServerFixture::connectionRows(const QString& where, const QVariantList& values) {
    const DbRows rows = db().select(u"SELECT count(*) AS n FROM Connections "_s + where, values);
    return rows.ok() ? rows.value(0, u"n"_s).toInt() : -1;
}

QStringList ServerFixture::judgeLines() const {
    return mServer->judgeStations()->stringList();
}

QStringList ServerFixture::displayLines() const {
    return mServer->scoreboards()->stringList();
}
