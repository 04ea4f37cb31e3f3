#pragma once

// `tallvane serve` on a small meet in a temporary data folder, in its own
// process, as the shipped service runs it: open-file limit 1024 (its hard
// limit left as it is), ports chosen by the system. What it prints goes to
// files, so that a server printing much is never held up by the probe.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

class ServedMeet {
public:
    ServedMeet();
    ~ServedMeet();

    // Starts the server and waits (up to 30 s) for both of its ports; false,
    // with error(), when it did not come up.
    bool start();
    // Stops it with SIGTERM (SIGKILL after 10 s).
    void stop();
    bool isRunning() const { return mServer.state() == QProcess::Running; }

    qint64 pid() const { return mServer.processId(); }
    std::uint16_t tcpPort() const { return mTcpPort; }
    std::uint16_t webPort() const { return mWebPort; }
    QString pin() const { return QStringLiteral("3917"); }
    QString error() const { return mError; }
    // What it printed on standard error (its operator alerts), as a file.
    QString alertsFile() const { return mDir.filePath(QStringLiteral("serve-stderr.txt")); }

    // The process's CPU time (user and system) in milliseconds; -1 when unknown.
    qint64 cpuMs() const;

private:
    bool makeMeet(const QString& path);

    QTemporaryDir mDir;
    QProcess mServer;
    std::uint16_t mTcpPort = 0;
    std::uint16_t mWebPort = 0;
    QString mError;
};
