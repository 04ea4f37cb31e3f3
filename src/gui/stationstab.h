#pragma once

#include <QWidget>

class StationSeats;

// The "Stations" tab: every seat the meet expects and the device on it, so
// the operator sees at a glance whether every judge and board is working,
// and may have every seat prove it in a rehearsal.
class StationsTab : public QWidget {
    Q_OBJECT

public:
    StationsTab(StationSeats& seats, QWidget* parent = nullptr);

Q_SIGNALS:
    // "Rehearsal…": the operator wants to see every seat answer.
    void rehearsalRequested();
};
