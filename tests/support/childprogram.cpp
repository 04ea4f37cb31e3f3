#include "childprogram.h"

#include <QTest>

#include <signal.h>

using namespace Qt::Literals::StringLiterals;

ChildProgram::ChildProgram(const QString& program, const QStringList& arguments,
                           const QString& dataFolder, std::function<void()> inChild) {
    if (inChild)
        mProcess.setChildProcessModifier(inChild);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TALLVANE_DATA_DIR"_s, dataFolder);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    mProcess.setProcessEnvironment(env);
    QObject::connect(&mProcess, &QProcess::readyReadStandardOutput, &mProcess, [this] {
        mPartial += mProcess.readAllStandardOutput();
        qsizetype end;
        while ((end = mPartial.indexOf('\n')) >= 0) {
            mLines << QString::fromLocal8Bit(mPartial.left(end));
            mPartial.remove(0, end + 1);
        }
    });
    mProcess.start(program, arguments);
}

ChildProgram::~ChildProgram() {
    if (mProcess.state() != QProcess::NotRunning) {
        mProcess.kill();
        mProcess.waitForFinished();
    }
}

ChildProgram::Finished ChildProgram::runTallvane(const QStringList& arguments,
                                                 const QString& dataFolder) {
    ChildProgram child(QStringLiteral(TALLVANE_BIN), arguments, dataFolder);
    QProcess& process = child.process();
    if (!process.waitForFinished(60000))
        qWarning("tallvane %s did not finish", qPrintable(arguments.join(u' ')));
    const bool normal =
        process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
    QString out = child.mLines.join(u'\n');
    if (!out.isEmpty())
        out += u'\n';
    return {normal ? process.exitCode() : -1, out + QString::fromLocal8Bit(child.mPartial),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString ChildProgram::waitForLine(const QString& text, int timeoutMs) {
    const auto found = [&] {
        return mLines.filter(text).value(0);
    };
    // Whether it came or the program ended is read from the lines.
    (void)QTest::qWaitFor(
        [&] { return !found().isEmpty() || mProcess.state() == QProcess::NotRunning; }, timeoutMs);
    return found();
}

QString ChildProgram::waitListening(int timeoutMs) {
    const QString line = waitForLine(u"Listening on "_s, timeoutMs);
    return line.isEmpty() ? QString() : u"127.0.0.1:"_s + line.section(u':', -1);
}

bool ChildProgram::stop(int signal, int timeoutMs) {
    if (mProcess.state() == QProcess::NotRunning)
        return false;
    ::kill(pid_t(mProcess.processId()), signal);
    return mProcess.waitForFinished(timeoutMs) && mProcess.exitStatus() == QProcess::NormalExit &&
           mProcess.exitCode() == 0;
}

QStringList ChildProgram::messages(QChar direction) const {
    QStringList found;
    for (const QString& line : mLines)
        if (line.size() > 15 && line[13] == direction)
            found << line.mid(15);
    return found;
}

QString ChildProgram::everything() {
    mErr += mProcess.readAllStandardError();
    return mLines.join(u'\n') + u'\n' + QString::fromLocal8Bit(mPartial + mErr);
}
