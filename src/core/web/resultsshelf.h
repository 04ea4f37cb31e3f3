#pragma once

#include <memory>
#include <mutex>

class ResultsSnapshot;

// Where the viewers' thread leaves the latest ResultsSnapshot and the
// judges' thread takes it. The lock is held only to swap or copy the
// pointer: a snapshot, once published, is never changed, and one that is
// replaced lives on while a reader still holds it.
class ResultsShelf {
public:
    void publish(std::shared_ptr<const ResultsSnapshot> snapshot) {
        const std::lock_guard lock(mMutex);
        mLatest.swap(snapshot);
        // The one replaced (in `snapshot`) is freed after the lock is let go.
    }
    std::shared_ptr<const ResultsSnapshot> latest() const {
        const std::lock_guard lock(mMutex);
        return mLatest;
    }

private:
    mutable std::mutex mMutex;
    std::shared_ptr<const ResultsSnapshot> mLatest;
};
