#pragma once

#include <QString>

#include <vector>

// The standby's part of one confirmation, in the bench's own process on a
// copy of the meet: a batch of `pages` pages written to the journal and
// synced (what a confirmation waits for), the whole copy rewritten from it
// by the backup (what it waited for before, now done when the primary is
// quiet), and the floor: the same bytes appended to a plain file and synced.
// Each list sorted, in microseconds.
struct StandbyStages {
    std::vector<double> journal, whole, bare;
};

StandbyStages standbyStages(const QString& meet, const QString& folder, int pages, int batches);
