#pragma once

#include <QString>

class AppState;
class QCoreApplication;

// A primary restarted on its meet file asks the standby that last followed
// it whether it has taken over meanwhile: the standby's web address when it
// serves the same meet under a newer epoch, else empty (also when it cannot
// be reached: a standby that is not there serves nothing). Runs the event
// loop for at most a few seconds.
QString newerPrimaryOf(QCoreApplication& app, AppState& state);
