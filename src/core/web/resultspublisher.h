#pragma once

#include "resultssite.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <memory>

class CurrentSession;
class MeetDatabase;
class OperatorAlerts;
class ResultsApi;

// Keeps a published results site current while the meet runs: after the meet
// changes, at most once per period, the results are worked out here, on the
// event loop, from the same API the live page reads, and the folder is
// written and swapped in on a worker thread. A command given (an upload, say)
// runs after each write through the shell, without waiting for it; one still
// running when the next write is done runs once more after it ends, never
// twice at once. A write or a command that fails is an operator alert, once
// until it works again; the meet goes on either way.
class ResultsPublisher : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultEverySeconds = 60;
    // What is kept of a command's output for its alert.
    static constexpr qsizetype MaxCommandOutput = 4096;

    struct Options {
        QString folder;
        int everySeconds = DefaultEverySeconds;
        QString command; // run with /bin/sh -c; none when empty
    };

    ResultsPublisher(MeetDatabase& db, ResultsApi& api, CurrentSession& current,
                     OperatorAlerts& alerts, Options options, QObject* parent = nullptr);
    // Waits for a write under way (so no half-made folder is left beside the
    // site) and stops a command still running.
    ~ResultsPublisher() override;

    // Writes the site now, and again after each change.
    void start();

    // Sites written so far, and commands that ended well.
    int writes() const { return mWrites; }
    int commandsDone() const { return mCommandsDone; }

Q_SIGNALS:
    void siteWritten();
    void commandFinished(bool ok);

private:
    void changed();
    void scheduleNext();
    void publish();
    void writeDone();
    void runCommand();
    void commandEnded(bool ok, const QString& reason);
    void readCommandOutput();
    // Raises `text` unless this kind of failure was already told and has not
    // worked since.
    void alertOnce(bool& told, const QString& text);

    MeetDatabase& mDb;
    ResultsApi& mApi;
    OperatorAlerts& mAlerts;
    Options mOptions;
    QTimer mTimer;
    QElapsedTimer mSinceWrite;
    bool mDirty = false;

    QList<SiteFile> mWritten; // what the folder holds, but for data/meet.json
    QString mWrittenName;
    QList<SiteFile> mWriting;
    QString mWritingName;
    std::unique_ptr<QThread> mWriter;
    QString mWriteError; // set by the worker, read once it has finished
    bool mWriteFailureTold = false;
    int mWrites = 0;

    QProcess mCommand;
    QByteArray mCommandOutput;
    bool mCommandAgain = false;
    bool mCommandFailureTold = false;
    int mCommandsDone = 0;
};
