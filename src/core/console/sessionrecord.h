#pragma once

#include <QString>

// One session as the operator sees it in the session list and the chooser.
struct SessionEntry {
    QString number; // the session number as text ("3")
    QString description;
};

// The editable fields of one session, as shown in the session editor.
struct SessionRecord {
    QString number;
    QString description;
    QString date; // as typed, or the stored date in the locale's short form
    QString openWarmup;
    QString timedWarmup;
    QString marchIn;
    QString awards;
};
