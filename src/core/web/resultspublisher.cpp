#include "resultspublisher.h"

#include "db/meetdatabase.h"
#include "db/tables/meetstable.h"
#include "shell/currentsession.h"
#include "shell/operatoralerts.h"
#include "sitefolder.h"

#include <algorithm>
#include <chrono>

using namespace Qt::Literals::StringLiterals;

namespace {

// The last line a command printed, which usually says why it failed.
QString lastLine(const QByteArray& output) {
    const QStringList lines = QString::fromLocal8Bit(output).split(u'\n', Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->trimmed().isEmpty())
            return line->trimmed();
    }
    return {};
}

} // namespace

ResultsPublisher::ResultsPublisher(MeetDatabase& db, ResultsApi& api, CurrentSession& current,
                                   OperatorAlerts& alerts, Options options, QObject* parent)
    : QObject(parent)
    , mDb(db)
    , mApi(api)
    , mAlerts(alerts)
    , mOptions(std::move(options)) {
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &ResultsPublisher::publish);
    connect(&db.changes(), &MeetChanges::committed, this, &ResultsPublisher::changed);
    connect(&current, &CurrentSession::changed, this, &ResultsPublisher::changed);

    mCommand.setProcessChannelMode(QProcess::MergedChannels);
    connect(&mCommand, &QProcess::readyRead, this, &ResultsPublisher::readCommandOutput);
    connect(&mCommand, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (status == QProcess::CrashExit)
            commandEnded(false, u"it stopped abnormally"_s);
        else
            commandEnded(code == 0, u"exit status %1"_s.arg(code));
    });
    connect(&mCommand, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            commandEnded(false, mCommand.errorString());
    });
}

ResultsPublisher::~ResultsPublisher() {
    if (mWriter)
        mWriter->wait();
    mCommand.disconnect(this);
}

void ResultsPublisher::start() {
    changed();
}

void ResultsPublisher::changed() {
    mDirty = true;
    scheduleNext();
}

void ResultsPublisher::scheduleNext() {
    // A write under way schedules the next one when it is done.
    if (!mDirty || mTimer.isActive() || mWriter)
        return;
    const qint64 period = qint64(mOptions.everySeconds) * 1000;
    const qint64 wait =
        mSinceWrite.isValid() ? std::max<qint64>(0, period - mSinceWrite.elapsed()) : 0;
    mTimer.start(std::chrono::milliseconds(wait));
}

void ResultsPublisher::publish() {
    mDirty = false;
    QList<SiteFile> files;
    QString error;
    const QString name = MeetsTable(mDb).meetName().value_or(QString());
    if (!ResultsSite::pageFiles(files, &error) ||
        !ResultsSite::dataFiles(mApi, {}, files, &error)) {
        alertOnce(mWriteFailureTold, u"The results cannot be published: "_s + error);
        mSinceWrite.start();
        changed();
        return;
    }
    // Nothing a reader would see has changed (a station logged in, say).
    if (files == mWritten && name == mWrittenName)
        return;
    mSinceWrite.start();
    mWriting = files;
    mWritingName = name;
    files.append(ResultsSite::meetFile(name, QDateTime::currentDateTimeUtc()));
    // The worker sets mWriteError only; it is read once the thread has finished.
    mWriter.reset(QThread::create([this, folder = mOptions.folder, files = std::move(files)] {
        QString reason;
        mWriteError = SiteFolder::write(folder, files, &reason) ? QString() : reason;
    }));
    connect(mWriter.get(), &QThread::finished, this, &ResultsPublisher::writeDone);
    mWriter->start();
}

void ResultsPublisher::writeDone() {
    // The thread has sent its last signal; it ends at once.
    mWriter->wait();
    mWriter.release()->deleteLater();
    if (mWriteError.isEmpty()) {
        mWritten = std::exchange(mWriting, {});
        mWrittenName = mWritingName;
        mWriteFailureTold = false;
        ++mWrites;
        Q_EMIT siteWritten();
        runCommand();
    } else {
        alertOnce(mWriteFailureTold,
                  u"The results cannot be published to %1: %2"_s.arg(mOptions.folder, mWriteError));
        // Tried again a period later, whether or not the meet changes meanwhile.
        mDirty = true;
    }
    scheduleNext();
}

void ResultsPublisher::runCommand() {
    if (mOptions.command.isEmpty())
        return;
    if (mCommand.state() != QProcess::NotRunning) {
        mCommandAgain = true;
        return;
    }
    mCommandAgain = false;
    mCommandOutput.clear();
    mCommand.start(u"/bin/sh"_s, {u"-c"_s, mOptions.command});
}

void ResultsPublisher::readCommandOutput() {
    mCommandOutput += mCommand.readAll();
    if (mCommandOutput.size() > MaxCommandOutput)
        mCommandOutput = mCommandOutput.right(MaxCommandOutput);
}

void ResultsPublisher::commandEnded(bool ok, const QString& reason) {
    readCommandOutput();
    if (ok) {
        ++mCommandsDone;
        mCommandFailureTold = false;
    } else {
        const QString said = lastLine(mCommandOutput);
        alertOnce(mCommandFailureTold,
                  u"The command after publishing the results failed (%1)%2"_s.arg(
                      reason, said.isEmpty() ? QString() : u": "_s + said));
    }
    Q_EMIT commandFinished(ok);
    if (mCommandAgain)
        runCommand();
}

void ResultsPublisher::alertOnce(bool& told, const QString& text) {
    if (told)
        return;
    told = true;
    mAlerts.raise(text);
}
