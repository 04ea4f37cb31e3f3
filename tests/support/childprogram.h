#pragma once

#include <QProcess>
#include <QStringList>

#include <functional>

// A program of this project (`tallvane`, `tallvane-station`) run as a child
// process on a data folder. Its standard output is collected line by line as
// it comes, on the event loop; a child still running at the end is killed.
class ChildProgram {
public:
    struct Finished {
        int status = -1; // the exit status; -1 when it crashed or did not finish
        QString out;
        QString err;
    };

    // `inChild`, when given, runs in the child process before the program
    // starts (after fork: only async-signal-safe calls such as setrlimit).
    ChildProgram(const QString& program, const QStringList& arguments, const QString& dataFolder,
                 std::function<void()> inChild = {});
    ~ChildProgram();

    // Runs `tallvane` with `arguments` to its end (at most a minute).
    static Finished runTallvane(const QStringList& arguments, const QString& dataFolder);

    QProcess& process() { return mProcess; }
    const QStringList& lines() const { return mLines; }
    // What the station simulator, which prints "HH:mm:ss.zzz > text" for what
    // it sent and "HH:mm:ss.zzz < text" for what it received, printed in
    // `direction` ('>' or '<'): the texts alone.
    QStringList messages(QChar direction) const;
    // The first line holding `text`, waiting up to `timeoutMs` for it; empty
    // when none came or the program ended first.
    QString waitForLine(const QString& text, int timeoutMs = 30000);
    // "127.0.0.1:PORT" once a server printed "Listening on ADDRESS:PORT";
    // waits for it and is empty when it never came.
    QString waitListening(int timeoutMs = 30000);
    // Asks the program to stop with `signal`; true when it ended with exit status 0.
    bool stop(int signal, int timeoutMs = 30000);
    // Everything printed so far, its standard output then its standard error.
    QString everything();

private:
    QProcess mProcess;
    QByteArray mPartial;
    QByteArray mErr; // standard error read so far
    QStringList mLines;
};
