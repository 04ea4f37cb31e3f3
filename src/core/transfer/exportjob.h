#pragma once

#include "transferexport.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>

// Runs an export on a worker thread with its own read connection, so the
// scoring server goes on serving stations while a large meet is written.
// Progress and the end arrive as signals on the thread that owns the job.
class ExportJob : public QObject {
    Q_OBJECT

public:
    ExportJob(const QString& meetPath, const QString& transferPath, QObject* parent = nullptr);
    // Stops a running export (no file is left) and waits for its thread.
    ~ExportJob() override;

    void start();
    bool isRunning() const;
    const TransferExport::Result& result() const { return mResult; }

Q_SIGNALS:
    void tableStarted(int number, const QString& table);
    void rowProgress(int percent);
    void finished(bool ok);

private:
    void onThreadFinished();

    QString mMeetPath;
    QString mTransferPath;
    std::unique_ptr<QThread> mThread;
    std::atomic<bool> mCancel{false};
    TransferExport::Result mResult;
};
