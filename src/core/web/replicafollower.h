#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

class ReplicaFile;

// The standby's side: keeps a ReplicaFile in step with a primary Tallvane
// over the primary's web port. It logs in with the primary's operator PIN,
// says which pages it holds, writes what the primary sends (each batch
// synced into the copy's journal) and acknowledges it. A broken or silent connection
// is opened again; the pages that differ then are all that is copied.
class ReplicaFollower : public QObject {
    Q_OBJECT

public:
    // The primary is silent after this long without a word.
    static constexpr int SilenceMs = 2000;
    static constexpr int RetryMs = 500;
    // The copy takes what its journal holds after this long without a batch,
    // or once the journal holds this much.
    static constexpr int ApplyIdleMs = 200;
    static constexpr qint64 ApplyBytes = 8 * 1024 * 1024;

    // `primary`: the primary's web address, http://HOST:PORT/.
    ReplicaFollower(const QUrl& primary, const QString& operatorPin, ReplicaFile& file,
                    QObject* parent = nullptr);

    // "http://HOST:PORT/" as the operator gave it, normalized.
    static QString primaryText(const QUrl& primary);
    // The WebSocket address of the primary's stream; invalid when `primary`
    // is no http://HOST:PORT/ address.
    static QUrl streamUrl(const QUrl& primary);

    void start();
    void stop();
    // The standby's own web port, told to the primary (now and after each
    // new connection) so that a restarted primary can find it.
    void setOwnWebPort(quint16 port);
    // Milliseconds since the primary was last heard from (since start() when never).
    qint64 sinceHeard() const { return mHeard.elapsed(); }
    bool isInStep() const { return mInStep; }
    QJsonObject meet() const { return mMeet; }

Q_SIGNALS:
    // The primary let this standby in: its meet's name, identity, station PIN
    // and ports. A receiver that finds it the wrong meet calls stop().
    void meetReceived(const QJsonObject& meet);
    // The copy holds every commit the primary made; `pagesCopied` of its
    // `pageCount` pages had to be copied for it.
    void inStep(int pagesCopied, int pageCount);
    // The primary refused this standby (`why`): it is not asked again.
    void refused(const QString& why);
    // What the primary sent could not be written; it is asked for again.
    void failed(const QString& error);

private:
    void connectNow();
    void opened();
    void textReceived(const QString& message);
    void binaryReceived(const QByteArray& message);
    void ended();
    void checkSilence();
    void applyPending();

    QUrl mPrimary;
    QString mPin;
    ReplicaFile& mFile;
    QWebSocket mSocket;
    QTimer mRetry;
    QTimer mSilence;
    QTimer mApply;
    QElapsedTimer mHeard;    // the primary's last word
    QElapsedTimer mLastWord; // the last word on this connection, or its opening
    QJsonObject mMeet;
    quint16 mOwnWebPort = 0;
    quint64 mLastGeneration = 0; // the last one written, on this connection
    bool mRunning = false;
    bool mInStep = false;
};
