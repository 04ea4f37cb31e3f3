#pragma once

class MeetDatabase;

// The meet file's write-ahead log checkpointed by hand. While a standby reads
// each commit's pages from the log (WalTail), a checkpoint in the middle of a
// commit would start the log again before they are read, so the connection's
// own checkpoints stop (hold()) and the reader runs one when it has read
// what the log holds and the log has grown long (checkpoint()). A
// checkpoint never waits: one that would is skipped.
class LogCheckpoints {
public:
    // SQLite's own: the log is checkpointed once it holds this many frames.
    static constexpr int Frames = 1000;

    explicit LogCheckpoints(MeetDatabase& db)
        : mDb(db) {}
    ~LogCheckpoints() { release(); }
    LogCheckpoints(const LogCheckpoints&) = delete;
    LogCheckpoints& operator=(const LogCheckpoints&) = delete;

    void hold();
    bool isHeld() const { return mHeld; }
    // Back to the connection's checkpoints after each commit.
    void release();
    // Copies what the log holds into the database file (the next commit then
    // starts the log again); false when there was nothing open to checkpoint.
    bool checkpoint();

private:
    MeetDatabase& mDb;
    bool mHeld = false;
};
