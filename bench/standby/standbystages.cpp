#include "standbystages.h"

#include "db/meetdatabase.h"
#include "db/pageimage.h"
#include "db/replicafile.h"
#include "servedmeet.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

StandbyStages standbyStages(const QString& meet, const QString& folder, int pages, int batches) {
    using StandbyBench::fail;
    QString error;
    MeetDatabase source;
    if (!source.open(meet))
        fail(source.lastError());
    const std::optional<PageImage> image = PageImage::read(source, &error);
    if (!image)
        fail(error);
    ReplicaFile copy;
    if (!copy.open(folder + u"/stages.tallvane"_s, &error))
        fail(error);
    QList<std::pair<int, QByteArray>> all;
    for (int i = 0; i < image->pageCount(); ++i)
        all.append({i, image->page(i).toByteArray()});
    if (!copy.write(image->pageSize(), image->pageCount(), all, &error))
        fail(error);
    QFile bare(folder + u"/stages.bare"_s);
    if (!bare.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(bare.errorString());
    StandbyStages stages;
    QElapsedTimer timer;
    for (int b = 0; b < batches; ++b) {
        QList<std::pair<int, QByteArray>> batch;
        QByteArray bytes;
        for (int i = 0; i < pages; ++i) {
            const int index = 1 + (b * pages + i) % (image->pageCount() - 1);
            batch.append({index, image->page(index).toByteArray()});
            bytes += batch.last().second;
        }
        timer.start();
        if (!copy.write(image->pageSize(), image->pageCount(), batch, &error))
            fail(error);
        stages.journal.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.start();
        if (!copy.applyPending(&error))
            fail(error);
        stages.whole.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.start();
        if (bare.write(bytes) != bytes.size() || ::fdatasync(bare.handle()) != 0)
            fail(bare.errorString());
        stages.bare.push_back(double(timer.nsecsElapsed()) / 1e3);
    }
    for (auto* times : {&stages.journal, &stages.whole, &stages.bare})
        std::sort(times->begin(), times->end());
    return stages;
}
