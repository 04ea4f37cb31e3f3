#pragma once

#include "db/meetdatabase.h"

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;

// The application's state for the life of the process: the data folder, the
// port and PIN of the settings files, the open meet file and its database
// connection, and the judges per event of the open meet.
class AppState : public QObject {
    Q_OBJECT

public:
    static constexpr auto DefaultPin = "3917";
    static constexpr auto DefaultPort = "10120";
    static constexpr auto DefaultWebPort = "10121";

    explicit AppState(const QString& dataFolder, QObject* parent = nullptr);
    ~AppState() override;

    QString dataFolder() const { return mDataFolder; }
    QString pinFilePath() const;
    // operatorpin.txt: the PIN of the operator's own pages, never the judges'.
    QString operatorPinFilePath() const;
    QString portFilePath() const;
    QString webPortFilePath() const;
    // Where the desktop program keeps its window's size and position.
    QString windowSettingsPath() const;
    // The names of the settings files above, at the top of the data folder.
    static QStringList settingsFileNames();

    // Writes the default pin.txt / port.txt / webport.txt when missing, and an
    // operator PIN made at random, then reads them. A default that cannot be written is used all
    // the same: false, and `error` names the files and why.
    bool loadSettings(QString* error = nullptr);

    QString portNumber() const { return mPortNumber; }
    void setPortNumber(const QString& port) { mPortNumber = port; }
    // The port of the web pages and browser stations.
    QString webPortNumber() const { return mWebPortNumber; }
    // Names the web pages may be reached by besides the machine's own
    // addresses and name (a local name service's): webhosts.txt of the data
    // folder, separated by commas, blanks or line ends; none when missing.
    QStringList webHostNames() const;
    void setWebPortNumber(const QString& port) { mWebPortNumber = port; }
    QString pin() const { return mPin; }
    void setPin(const QString& pin);
    // Operator pages (the seats' health, and any later page that acts or shows
    // more than a spectator may see) need this PIN; judges never learn it.
    QString operatorPin() const { return mOperatorPin; }
    void setOperatorPin(const QString& pin);
    bool saveOperatorPinFile(const QString& value, QString* error = nullptr);
    // Six digits from the system's cryptographic source.
    static QString randomOperatorPin();

    QString readPortFile() const;
    QString readPinFile() const;
    bool savePortFile(const QString& value, QString* error = nullptr);
    QString readWebPortFile() const;
    bool saveWebPortFile(const QString& value, QString* error = nullptr);
    bool savePinFile(const QString& value, QString* error = nullptr);

    int numJudges() const { return mNumJudges; }
    void setNumJudges(int judges);

    bool isMeetOpen() const { return !mMeetFilePath.isEmpty(); }
    QString meetFilePath() const { return mMeetFilePath; }
    QString meetBaseName() const { return mMeetBaseName; }
    void setMeetBaseName(const QString& name) { mMeetBaseName = name; }
    MeetDatabase& meetDb() { return mMeetDb; }

    // Opens a meet file: takes its lock (a meet file is served by one Tallvane
    // at a time), connects, checks that it is a meet, readies and empties
    // Connections (no station is connected yet). On failure nothing is left
    // open, and a meet file that another Tallvane holds is left as it was.
    bool openMeetFile(const QString& path, QString* error = nullptr);
    // Closes the meet database and gives up its lock; the state returns to
    // "no meet open" even when the file did not close cleanly (false, `error`
    // tells why).
    bool closeMeetFile(QString* error = nullptr);

    // The file name up to (not including) its first ".".
    static QString meetBaseNameOf(const QString& path);

Q_SIGNALS:
    void meetOpened();
    void meetClosed();
    void numJudgesChanged(int judges);
    void pinChanged(const QString& pin);
    void operatorPinChanged();

private:
    bool lockMeetFile(const QString& path, QString* error);

    QString mDataFolder;
    QString mPortNumber;
    QString mWebPortNumber;
    QString mPin;
    QString mOperatorPin;
    int mNumJudges = 0;
    QString mMeetFilePath;
    QString mMeetBaseName;
    std::unique_ptr<QLockFile> mLock; // held while the meet is open, given up after it
    MeetDatabase mMeetDb;
};
