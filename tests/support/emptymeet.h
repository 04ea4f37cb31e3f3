#pragma once

#include "db/meetdatabase.h"
#include "tempmeet.h"

// A new, empty meet file (full schema) in a temporary folder, open.
struct EmptyMeet {
    TempMeet temp;
    MeetDatabase db;

    EmptyMeet() {
        if (!db.open(temp.createMeetFile()))
            qFatal("opening the new meet failed: %s", qPrintable(db.lastError()));
    }
};
