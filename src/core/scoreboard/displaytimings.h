#pragma once

// The display loops' intervals. Tests shorten them; the defaults are the
// meet's: first look 8 s after a start, a look every 5 s while an event has
// nothing waiting, 5 s for a display to confirm, and after a confirmation the
// display time plus 5 s before the event's next score.
struct DisplayTimings {
    int startDelayMs = 8000;
    int idlePollMs = 5000;
    int watchdogMs = 5000;
    int pauseAfterShownMs = 5000;
    int msPerDisplaySecond = 1000; // the timer's, not what the displays are told
};
