#pragma once

#include "db/meetdatabase.h"
#include "scriptedprompter.h"
#include "shell/currentsession.h"
#include "tempmeet.h"

// A meet on its own connection, with the current session and the scripted
// prompter the operator consoles work with.
struct ConsoleDesk {
    TempMeet temp;
    MeetDatabase db;
    CurrentSession current;
    ScriptedPrompter prompter;

    // Creates the sample meet and opens it; false when it cannot be opened.
    bool openSampleMeet() { return db.open(temp.createSampleMeet()); }
};
