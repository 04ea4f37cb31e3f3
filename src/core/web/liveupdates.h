#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

class MeetChanges;
class QWebSocket;

// The viewers of /updates: every phone showing the live results. Each hears
// {"type":"scores","session":N} soon after a score of session N is stored or
// its results change otherwise (changes close together are told once), {"type":"session",
// "session":N} when the meet moves on to session N, and {"type":"alive"}
// every 20 seconds so a page can tell a quiet meet from a dead network.
// A viewer that sends a message, pings without end or stops reading is let go.
// A notice goes out to a few dozen viewers per turn of the event loop, so the
// judges' stations on the same loop never wait for a thousand phones at once.
class LiveUpdates : public QObject {
    Q_OBJECT

public:
    // How long stored scores are gathered before the viewers hear of them.
    static constexpr int GatherMs = 50;
    static constexpr int AliveMs = 20000;
    // Viewers beyond this many are turned away (a gym's phones fit easily).
    static constexpr int MaxViewers = 5000;
    // Viewers told in one turn of the event loop.
    static constexpr int ViewersPerTurn = 64;

    explicit LiveUpdates(MeetChanges& changes, QObject* parent = nullptr);

    // Takes a viewer's socket (as its parent) until it closes. Its TCP
    // connection is found among the children of `transports` (the server
    // that accepted it).
    void addViewer(std::unique_ptr<QWebSocket> viewer, const QObject* transports = nullptr);
    int viewerCount() const { return int(mViewers.size()); }

    // The meet's current session is now `session`.
    void currentSessionChanged(const QString& session);
    // An event's judges moved on to another gymnast: {"type":"underway"}.
    void underwayChanged();

private:
    void resultsChanged(const QString& session);
    void tellScores();
    void tellAll(const QString& message);
    void tellSome();

    // A notice on its way to the viewers there were when it was given.
    struct Telling {
        QString text;
        QList<QPointer<QWebSocket>> viewers;
        qsizetype next = 0;
    };

    QList<QWebSocket*> mViewers;
    std::deque<Telling> mTellings; // in the order given: a viewer hears them so
    QTimer mTellMore;
    QSet<QString> mScoredSessions;
    QTimer mGather;
    QTimer mAlive;
};
