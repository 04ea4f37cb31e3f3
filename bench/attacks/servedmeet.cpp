#include "servedmeet.h"

#include "db/meetdatabase.h"

#include <QFile>
#include <QRegularExpression>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace Qt::Literals::StringLiterals;

ServedMeet::ServedMeet() = default;

ServedMeet::~ServedMeet() {
    stop();
}

bool ServedMeet::makeMeet(const QString& path) {
    MeetDatabase db;
    bool ok = MeetDatabase::createMeetDatabase(path) && db.open(path) && db.beginTransaction() &&
              db.execute(u"INSERT INTO Meets(MeetID, Name, Num_Judges) VALUES(1, 'Probe', 4)"_s) &&
              db.execute(u"INSERT INTO Sessions(MeetID, Session, \"Desc\") VALUES(1, 1, 'AM')"_s);
    for (int i = 1; ok && i <= 64; ++i)
        ok = db.execute(u"INSERT INTO Gymnasts(MeetID, Num, First_Name, Last_Name, Level, "
                        "\"Session\", Squad, E1Final, AA) VALUES(1, ?, 'Probe', 'Gymnast', '4', "
                        "'1', 'A', 9.0, 9.0)"_s,
                        {QString::number(i)});
    return ok && db.commit();
}

bool ServedMeet::start() {
    const QString meet = mDir.filePath(u"probe.tallvane"_s);
    if (!mDir.isValid() || (!QFile::exists(meet) && !makeMeet(meet))) {
        mError = u"the meet file could not be made"_s;
        return false;
    }
    const QString out = mDir.filePath(u"serve-stdout.txt"_s);
    QFile::remove(out);
    mServer.setStandardOutputFile(out);
    mServer.setStandardErrorFile(alertsFile(), QIODevice::Append);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TALLVANE_DATA_DIR"_s, mDir.path());
    mServer.setProcessEnvironment(environment);
    mServer.setChildProcessModifier([] {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = 1024;
        setrlimit(RLIMIT_NOFILE, &files);
    });
    mServer.start(QStringLiteral(TALLVANE_BIN), {u"serve"_s, meet, u"--port"_s, u"0"_s,
                                                 u"--web-port"_s, u"0"_s, u"--pin"_s, pin()});
    if (!mServer.waitForStarted(10000)) {
        mError = u"tallvane serve did not start: "_s + mServer.errorString();
        return false;
    }
    static const QRegularExpression listening(u"Listening on [^:\\s]+:(\\d+)"_s);
    static const QRegularExpression web(u"Web pages at http://[^:/\\s]+:(\\d+)/"_s);
    for (int waited = 0; waited < 30000 && isRunning(); waited += 50) {
        QFile file(out);
        const QString said =
            file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        const QRegularExpressionMatch tcp = listening.match(said);
        const QRegularExpressionMatch pages = web.match(said);
        if (tcp.hasMatch() && pages.hasMatch()) {
            mTcpPort = std::uint16_t(tcp.captured(1).toUInt());
            mWebPort = std::uint16_t(pages.captured(1).toUInt());
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    mError = u"tallvane serve did not print its ports"_s;
    stop();
    return false;
}

void ServedMeet::stop() {
    if (!isRunning())
        return;
    mServer.terminate();
    if (!mServer.waitForFinished(10000)) {
        mServer.kill();
        mServer.waitForFinished(5000);
    }
}

qint64 ServedMeet::cpuMs() const {
    QFile stat(u"/proc/%1/stat"_s.arg(pid()));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command's name, which ends with the last ')':
    // utime and stime are the 12th and 13th of them.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const qint64 ticks = fields[11].toLongLong() + fields[12].toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}
