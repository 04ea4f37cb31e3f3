#pragma once

#include "importreport.h"
#include "transferimporter.h"

#include <QObject>
#include <QTimer>

#include <memory>

// Runs a TransferImporter in short slices on the event loop, so the window
// stays responsive and shows progress while a large meet is imported.
class ImportJob : public QObject {
    Q_OBJECT

public:
    // `totalLines` is the base of the progress figure (0: no progress shown).
    ImportJob(const QString& transferPath, const QString& meetPath, qint64 totalLines,
              QObject* parent = nullptr);
    ~ImportJob() override;

    // Starts at the next turn of the event loop; finished() follows in any case.
    void start();
    bool isRunning() const { return mTimer.isActive(); }
    const ImportReport& report() const { return mReport; }

Q_SIGNALS:
    void progress(int percent);
    void finished();

private:
    void runSlice();
    void end();

    std::unique_ptr<TransferImporter> mImporter;
    qint64 mTotalLines;
    bool mBegun = false;
    int mLastPercent = -1;
    QTimer mTimer;
    ImportReport mReport;
};
