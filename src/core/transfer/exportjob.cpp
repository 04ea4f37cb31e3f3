#include "exportjob.h"

#include <algorithm>

ExportJob::ExportJob(const QString& meetPath, const QString& transferPath, QObject* parent)
    : QObject(parent)
    , mMeetPath(meetPath)
    , mTransferPath(transferPath) {}

ExportJob::~ExportJob() {
    if (mThread) {
        mCancel = true;
        mThread->wait();
    }
}

bool ExportJob::isRunning() const {
    return mThread && mThread->isRunning();
}

void ExportJob::start() {
    if (mThread)
        return;
    // The worker writes mResult only; it is read after the thread has finished.
    mThread.reset(QThread::create([this] {
        int lastPercent = -1;
        TransferExport::Observer observer;
        observer.tableStarted = [this, &lastPercent](int number, const QString& table) {
            lastPercent = 0;
            Q_EMIT tableStarted(number, table);
        };
        observer.rowWritten = [this, &lastPercent](qint64 written, qint64 rows) {
            const int percent = rows > 0 ? int(std::min<qint64>(100, written * 100 / rows)) : 100;
            if (percent != lastPercent) {
                lastPercent = percent;
                Q_EMIT rowProgress(percent);
            }
        };
        observer.cancelled = [this] {
            return mCancel.load();
        };
        mResult = TransferExport::exportMeetFile(mMeetPath, mTransferPath, observer);
    }));
    connect(mThread.get(), &QThread::finished, this, &ExportJob::onThreadFinished);
    mThread->start();
}

void ExportJob::onThreadFinished() {
    Q_EMIT finished(mResult.ok);
}
