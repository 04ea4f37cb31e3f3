#pragma once

#include <QWidget>

class StationSeats;

// The "Stations" tab: every seat the meet expects and the device on it, so
// the operator sees at a glance whether every judge and board is working.
class StationsTab : public QWidget {
    Q_OBJECT

public:
    StationsTab(StationSeats& seats, QWidget* parent = nullptr);
};
