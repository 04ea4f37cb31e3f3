#include "appstate.h"

#include "settingsfile.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

AppState::AppState(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , mDataFolder(dataFolder) {}

QString AppState::pinFilePath() const {
    return mDataFolder + u"/pin.txt"_s;
}
QString AppState::portFilePath() const {
    return mDataFolder + u"/port.txt"_s;
}

void AppState::loadSettings() {
    if (!QFileInfo::exists(pinFilePath()))
        SettingsFile::write(pinFilePath(), QString::fromLatin1(DefaultPin));
    if (!QFileInfo::exists(portFilePath()))
        SettingsFile::write(portFilePath(), QString::fromLatin1(DefaultPort));
    mPortNumber = readPortFile();
    mPin = readPinFile();
}

void AppState::setPin(const QString& pin) {
    if (pin == mPin)
        return;
    mPin = pin;
    Q_EMIT pinChanged(pin);
}

QString AppState::readPortFile() const {
    return SettingsFile::read(portFilePath());
}
QString AppState::readPinFile() const {
    return SettingsFile::read(pinFilePath());
}

bool AppState::savePortFile(const QString& value, QString* error) {
    return SettingsFile::write(portFilePath(), value, error);
}

bool AppState::savePinFile(const QString& value, QString* error) {
    return SettingsFile::write(pinFilePath(), value, error);
}

void AppState::setNumJudges(int judges) {
    if (judges == mNumJudges)
        return;
    mNumJudges = judges;
    Q_EMIT numJudgesChanged(judges);
}

bool AppState::openMeetFile(const QString& path, QString* error) {
    if (isMeetOpen())
        closeMeetFile();
    if (!mMeetDb.open(path) || !mMeetDb.execute(u"DELETE FROM Connections"_s)) {
        if (error)
            *error = mMeetDb.lastError();
        mMeetDb.close();
        return false;
    }
    mMeetFilePath = mMeetDb.filePath();
    mMeetBaseName = meetBaseNameOf(path);
    Q_EMIT meetOpened();
    return true;
}

void AppState::closeMeetFile() {
    const bool wasOpen = isMeetOpen();
    mMeetFilePath.clear();
    setNumJudges(0);
    mMeetDb.close();
    if (wasOpen)
        Q_EMIT meetClosed();
}

QString AppState::meetBaseNameOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}
