#pragma once

#include <functional>

// What stands between a committed score and its confirmation. Alone, a
// commit on the disk is enough and the confirmation goes at once; with a
// standby in step, it goes once the standby holds that commit too. The
// release runs later on the event loop, never inside a wait.
class ConfirmationHold {
public:
    virtual ~ConfirmationHold() = default;
    // Runs `release` once what is committed now may be confirmed: at once, or
    // later; never, when the holder is gone first (the stations ask again).
    virtual void afterCommit(std::function<void()> release) = 0;
};
