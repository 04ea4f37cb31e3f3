#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QWebSocketServer>

#include <atomic>
#include <deque>
#include <memory>

class QTcpSocket;
class QWebSocket;
class ResultsPrefetch;

// The viewers of /updates on the thread that serves them (see LiveUpdates,
// which hands them here): their WebSocket openings, their guards, and every
// notice sent to them. Lives on that thread; every call but viewerCount()
// is made there.
class LiveViewers : public QObject {
    Q_OBJECT

public:
    // How long stored scores are gathered before the viewers hear of them.
    static constexpr int GatherMs = 50;
    static constexpr int AliveMs = 20000;
    // Viewers beyond this many are turned away (a gym's phones fit easily).
    static constexpr int MaxViewers = 5000;
    // Viewers told in one turn of the event loop, so that new viewers and
    // closing ones are served between the parts of a notice.
    static constexpr int ViewersPerTurn = 64;

    LiveViewers();
    ~LiveViewers() override;

    // Takes a TCP connection (to own) whose WebSocket opening waits unread in
    // it; the connection already lives on this object's thread.
    void open(QTcpSocket* connection);
    // Lets every viewer go.
    void closeAll();
    // Viewers connected now; may be asked from any thread.
    int viewerCount() const { return mCount.load(std::memory_order_relaxed); }

    // Before each "scores" notice, `prefetch` works out the replies the
    // pages ask for next (made on this thread, owned from now on).
    void setResultsPrefetch(std::unique_ptr<ResultsPrefetch> prefetch);

    // The results of `session` changed; the meet file `meetFile` counted
    // `changeCount` changes then, on session `current`.
    void resultsChanged(const QString& session, const QString& meetFile, quint64 changeCount,
                        const QString& current);
    void currentSessionChanged(const QString& session);
    void underwayChanged();

private:
    void addViewers();
    void addViewer(QWebSocket* socket);
    void viewerGone(QWebSocket* socket);
    void tellScores();
    void tellAll(const QString& message);
    void tellSome();

    // A notice on its way to the viewers there were when it was given.
    struct Telling {
        QString text;
        QList<QPointer<QWebSocket>> viewers;
        qsizetype next = 0;
    };

    // Children of this object, so that they move to its thread with it.
    QWebSocketServer mOpenings;
    QTimer mTellMore;
    QTimer mGather;
    QTimer mAlive;
    QList<QWebSocket*> mViewers;
    std::atomic<int> mCount = 0;
    std::deque<Telling> mTellings; // in the order given: a viewer hears them so
    QSet<QString> mScoredSessions;
    // The meet as the latest results change left it.
    QString mMeetFile;
    quint64 mChangeCount = 0;
    QString mCurrentSession;
    std::unique_ptr<ResultsPrefetch> mPrefetch;
};
