#include "lineinput.h"

#include <QFile>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

bool LineInput::start(const QString& scriptFile, QString* error) {
    if (!scriptFile.isEmpty()) {
        QFile file(scriptFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = u"%1 cannot be read: %2"_s.arg(scriptFile, file.errorString());
            return false;
        }
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (QByteArray line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            mScript.append(QString::fromLocal8Bit(line));
        }
        if (!mScript.isEmpty() && mScript.last().isEmpty())
            mScript.removeLast();
        mPause.setSingleShot(true);
        connect(&mPause, &QTimer::timeout, this, &LineInput::nextScriptLine);
        QTimer::singleShot(0, this, &LineInput::nextScriptLine);
        return true;
    }
#ifdef Q_OS_UNIX
    mStdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(mStdin, &QSocketNotifier::activated, this, &LineInput::readStandardInput);
#endif
    return true;
}

void LineInput::nextScriptLine() {
    while (!mScript.isEmpty()) {
        const QString line = mScript.takeFirst();
        if (line.startsWith(u"#wait "_s)) {
            mPause.start(line.mid(6).trimmed().toInt());
            return;
        }
        if (line.startsWith(u'#'))
            continue;
        Q_EMIT lineRead(line);
    }
    Q_EMIT finished();
}

void LineInput::readStandardInput() {
#ifdef Q_OS_UNIX
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        mStdin->setEnabled(false);
        if (!mPartial.isEmpty())
            Q_EMIT lineRead(QString::fromLocal8Bit(std::exchange(mPartial, {})));
        Q_EMIT finished();
        return;
    }
    mPartial.append(buffer, got);
    qsizetype end;
    while ((end = mPartial.indexOf('\n')) >= 0) {
        QByteArray line = mPartial.left(end);
        mPartial.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        Q_EMIT lineRead(QString::fromLocal8Bit(line));
    }
#endif
}
