#pragma once

#include "judging/meetserver.h"
#include "shell/appstate.h"
#include "tempmeet.h"

#include <memory>

// A running meet server on a small sample meet, for the station fuzz targets.
// It is built once per process, in a data folder on a memory file system where
// there is one (the meet's disk syncs stay out of the measure). restore() puts
// the tables stations change back as they were and logs every station out, so
// every input starts from the same meet; tables no input changed are left as
// they are.
class FuzzMeet {
public:
    FuzzMeet();

    MeetServer& meet() { return *mMeet; }
    void restore();

private:
    std::unique_ptr<TempMeet> mTemp;
    AppState mState;
    std::unique_ptr<MeetServer> mMeet;
    qint64 mChangesAfterRestore = -1; // the connection's row changes when last restored
};
