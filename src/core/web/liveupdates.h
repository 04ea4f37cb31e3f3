#pragma once

#include "liveviewers.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

class MeetChanges;
class MeetDatabase;
class QTcpSocket;
class ResultsShelf;

// The viewers of /updates: every phone showing the live results. Each hears
// {"type":"scores","session":N} soon after a score of session N is stored or
// its results change otherwise (changes close together are told once), {"type":"session",
// "session":N} when the meet moves on to session N, and {"type":"alive"}
// every 20 seconds so a page can tell a quiet meet from a dead network.
// A viewer that sends a message, pings without end or stops reading is let go.
// The viewers live on a thread of their own with its own event loop: the
// judges' thread only posts what changed to it, so a thousand phones never
// hold up a judge's confirmation, and nothing a station waits for waits on
// them.
class LiveUpdates : public QObject {
    Q_OBJECT

public:
    static constexpr int GatherMs = LiveViewers::GatherMs;
    static constexpr int AliveMs = LiveViewers::AliveMs;
    static constexpr int MaxViewers = LiveViewers::MaxViewers;
    static constexpr int ViewersPerTurn = LiveViewers::ViewersPerTurn;

    explicit LiveUpdates(MeetChanges& changes, QObject* parent = nullptr);
    // Lets every viewer go and ends their thread.
    ~LiveUpdates() override;

    // Takes a web client's connection whose WebSocket opening to /updates
    // waits unread in it (parentless, to own); it moves to the viewers' thread.
    void addViewer(std::unique_ptr<QTcpSocket> connection);
    int viewerCount() const { return mViewers->viewerCount(); }
    // Lets every viewer go; new ones are still taken.
    void closeViewers();

    // Before telling the viewers that a session's results changed, works out
    // on their thread, through a connection of its own to `db`'s file, the
    // replies of the results API their pages then ask for, and leaves them on
    // `shelf` (which outlives this object). `currentSession` names the
    // meet's session.
    void prepareResults(MeetDatabase& db, ResultsShelf& shelf,
                        std::function<QString()> currentSession);

    // The meet's current session is now `session`.
    void currentSessionChanged(const QString& session);
    // An event's judges moved on to another gymnast: {"type":"underway"}.
    void underwayChanged();

private:
    void resultsChanged(const QString& session);

    MeetChanges& mChanges;
    MeetDatabase* mDb = nullptr;
    std::function<QString()> mCurrentSession;
    QThread mThread;
    LiveViewers* mViewers; // on mThread, deleted there as it finishes
};
