#include "appstate.h"

#include "db/meetfiles.h"
#include "papersize.h"
#include "settingscheck.h"
#include "settingsfile.h"

#include "db/connectionstable.h"
#include "db/replicafile.h"
#include "db/tallvanesettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

AppState::AppState(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , mDataFolder(dataFolder) {}

AppState::~AppState() = default;

namespace {

const QString PinFileName = u"pin.txt"_s;
const QString OperatorPinFileName = u"operatorpin.txt"_s;
const QString PortFileName = u"port.txt"_s;
const QString WebPortFileName = u"webport.txt"_s;
const QString WindowSettingsFileName = u"window.ini"_s;
const QString WebHostsFileName = u"webhosts.txt"_s;

} // namespace

QString AppState::pinFilePath() const {
    return mDataFolder + u'/' + PinFileName;
}
QString AppState::operatorPinFilePath() const {
    return mDataFolder + u'/' + OperatorPinFileName;
}
QString AppState::portFilePath() const {
    return mDataFolder + u'/' + PortFileName;
}
QString AppState::windowSettingsPath() const {
    return mDataFolder + u'/' + WindowSettingsFileName;
}
QStringList AppState::settingsFileNames() {
    return {PinFileName,
            PortFileName,
            WebPortFileName,
            WindowSettingsFileName,
            WebHostsFileName,
            OperatorPinFileName,
            QString::fromLatin1(PaperSize::FileName)};
}

QStringList AppState::webHostNames() const {
    QFile file(mDataFolder + u'/' + WebHostsFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression separators(u"[\\s,]+"_s);
    return QString::fromUtf8(file.read(64 * 1024)).split(separators, Qt::SkipEmptyParts);
}

QString AppState::webPortFilePath() const {
    return mDataFolder + u'/' + WebPortFileName;
}

bool AppState::loadSettings(QString* error) {
    QStringList unwritten;
    const auto load = [&unwritten](const QString& path, const QString& fallback) {
        if (QFileInfo::exists(path))
            return SettingsFile::read(path);
        const QString value = fallback;
        QString why;
        if (!SettingsFile::write(path, value, &why))
            unwritten.append(u"%1 could not be written (%2); %3 is used."_s.arg(
                QDir::toNativeSeparators(path), why, value));
        return value;
    };
    mPin = load(pinFilePath(), QString::fromLatin1(DefaultPin));
    mPortNumber = load(portFilePath(), QString::fromLatin1(DefaultPort));
    mWebPortNumber = load(webPortFilePath(), QString::fromLatin1(DefaultWebPort));
    // Every data folder gets its own, so no two meets share one and no
    // manual prints it.
    mOperatorPin = load(operatorPinFilePath(), randomOperatorPin());
    // An empty or short one would let anybody in: it is made anew.
    if (!SettingsCheck::isValidOperatorPin(mOperatorPin)) {
        mOperatorPin = randomOperatorPin();
        QString why;
        if (!saveOperatorPinFile(mOperatorPin, &why))
            unwritten.append(u"%1 could not be written (%2)."_s.arg(
                QDir::toNativeSeparators(operatorPinFilePath()), why));
    }
    if (error)
        *error = unwritten.join(u'\n');
    return unwritten.isEmpty();
}

void AppState::setPin(const QString& pin) {
    if (pin == mPin)
        return;
    mPin = pin;
    Q_EMIT pinChanged(pin);
}

void AppState::setOperatorPin(const QString& pin) {
    if (pin == mOperatorPin)
        return;
    mOperatorPin = pin;
    Q_EMIT operatorPinChanged();
}

bool AppState::saveOperatorPinFile(const QString& value, QString* error) {
    return SettingsFile::write(operatorPinFilePath(), value, error);
}

QString AppState::randomOperatorPin() {
    QString pin;
    for (int digit = 0; digit < 6; ++digit)
        pin += QChar(u'0' + QRandomGenerator::system()->bounded(10));
    return pin;
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

QString AppState::readWebPortFile() const {
    return SettingsFile::read(webPortFilePath());
}

bool AppState::saveWebPortFile(const QString& value, QString* error) {
    return SettingsFile::write(webPortFilePath(), value, error);
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

// The lock file beside the meet names its holder. A holder that has ended
// without giving it up (a crash) leaves a stale lock, which the next one takes
// over; a lock is never taken over for its age alone, as a meet runs for hours.
bool AppState::lockMeetFile(const QString& path, QString* error) {
    mLock = MeetFiles::lockMeetFile(path, error);
    return mLock != nullptr;
}

bool AppState::openMeetFile(const QString& path, QString* error) {
    if (isMeetOpen())
        closeMeetFile();
    // A missing file is reported by the database, without a lock beside it.
    const QFileInfo info(path);
    if (info.isFile() && !lockMeetFile(info.absoluteFilePath(), error))
        return false;
    // A meet file that cannot be made ready is let go again, and says why.
    const auto refuse = [this, error](const QString& why) {
        if (error)
            *error = why;
        mMeetDb.close();
        mLock.reset();
        return false;
    };
    // A standby's copy holds, beside it, what it acknowledged last.
    if (QString why; !ReplicaFile::applyLeftJournal(path, &why))
        return refuse(u"%1 cannot take what its standby received last: %2"_s.arg(path, why));
    if (!mMeetDb.open(path))
        return refuse(mMeetDb.lastError());
    TallvaneSettings settings(mMeetDb);
    if (!settings.ensureTables())
        return refuse(
            u"Tallvane's own tables in %1 are not ready: %2"_s.arg(path, settings.lastError()));
    ConnectionsTable connections(mMeetDb);
    if (!connections.prepare())
        return refuse(u"The station log-ins of %1 could not be reset: %2"_s.arg(
            path, connections.lastError()));
    mMeetFilePath = mMeetDb.filePath();
    mMeetBaseName = meetBaseNameOf(path);
    Q_EMIT meetOpened();
    return true;
}

bool AppState::closeMeetFile(QString* error) {
    const bool wasOpen = isMeetOpen();
    mMeetFilePath.clear();
    setNumJudges(0);
    const bool closed = mMeetDb.close();
    mLock.reset();
    if (!closed && error)
        *error = mMeetDb.lastError();
    if (wasOpen)
        Q_EMIT meetClosed();
    return closed;
}

QString AppState::meetBaseNameOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}
