#pragma once

#include <QTimer>

#include <functional>

class MeetDatabase;
struct sqlite3;

// The meet file's write-ahead log checkpointed while no score waits. SQLite's
// own checkpoint runs inside the commit that grows the log past 1,000 frames:
// it copies the log into the file and syncs the file, and every judge whose
// score arrives meanwhile waits for it. Here the connection's own checkpoints
// are off; a long log is checkpointed (passively) once no commit has come for
// a while and no score waits, which between routines is nearly always, or at
// once when the log has grown far, so that a steady stream of scores never
// lets it grow without bound.
//
// While a standby follows, its LogCheckpoints takes the log over (it turns the
// connection's checkpoints off and runs its own) and hands it back to SQLite
// when the standby goes. Whoever set the connection's checkpoints last
// decides: the log is taken back only from SQLite's own checkpoints, never
// from a standby's hold, and it is looked at again after every commit of
// scores and before every checkpoint here.
class IdleCheckpoints {
public:
    // SQLite's own length of a long log, in frames.
    static constexpr int Frames = 1000;
    // A log this long is checkpointed even while scores wait.
    static constexpr int MostFrames = 8 * Frames;
    // How long the log stays quiet before it is checkpointed.
    static constexpr int QuietMs = 100;

    // `busy` tells whether scores wait for their commit.
    IdleCheckpoints(MeetDatabase& db, std::function<bool()> busy);
    // Hands the log back to SQLite's own checkpoints.
    ~IdleCheckpoints();
    IdleCheckpoints(const IdleCheckpoints&) = delete;
    IdleCheckpoints& operator=(const IdleCheckpoints&) = delete;

    // After a commit of scores: the log is taken over when SQLite's own
    // checkpoints have it.
    void afterCommit();
    // Whether the log was this one's to checkpoint at the last look.
    bool holdsLog() const { return mConnection != nullptr; }

private:
    static int committed(void* self, sqlite3* connection, const char* database, int frames);
    // Whether the connection's commits still report to this; puts back
    // whatever else they report to.
    bool ours();
    // Checkpoints a long log once it has been quiet, or a very long one soon.
    void schedule();
    void checkpointWhenIdle();

    MeetDatabase& mDb;
    std::function<bool()> mBusy;
    QTimer mTimer;
    sqlite3* mConnection = nullptr; // the connection taken over, while it is
    int mFrames = 0;                // in the log after the last commit
    int mHandBack = Frames;         // SQLite's own setting, put back at the end
};
