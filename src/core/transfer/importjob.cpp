#include "importjob.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace {
// Long enough to make headway, short enough that the window never seems stuck.
constexpr qint64 SliceMilliseconds = 30;
constexpr int RecordsPerCheck = 25;
} // namespace

ImportJob::ImportJob(const QString& transferPath, const QString& meetPath, qint64 totalLines,
                     QObject* parent)
    : QObject(parent)
    , mImporter(std::make_unique<TransferImporter>(transferPath, meetPath))
    , mTotalLines(totalLines) {
    mTimer.setInterval(0);
    connect(&mTimer, &QTimer::timeout, this, &ImportJob::runSlice);
}

ImportJob::~ImportJob() = default;

void ImportJob::start() {
    mTimer.start();
}

void ImportJob::runSlice() {
    if (!mBegun) {
        mBegun = true;
        if (!mImporter->begin()) {
            end();
            return;
        }
    }
    QElapsedTimer clock;
    clock.start();
    bool more = true;
    while (more && clock.elapsed() < SliceMilliseconds)
        more = mImporter->step(RecordsPerCheck);
    if (mTotalLines > 0) {
        const double share = double(mImporter->linesRead()) / double(mTotalLines);
        const int percent = std::clamp(int(std::lround(share * 100)), 0, 100);
        if (percent != mLastPercent) {
            mLastPercent = percent;
            Q_EMIT progress(percent);
        }
    }
    if (!more) {
        mImporter->finish();
        end();
    }
}

void ImportJob::end() {
    mTimer.stop();
    mReport = mImporter->report();
    Q_EMIT finished();
}
