#pragma once

#include "console/rowlistmodel.h"
#include "console/stationseats.h"

// The seats of StationSeats as a table for the server window's "Stations"
// tab: one row per seat, every trouble in words in the last column (the row's
// colour only repeats it).
class SeatsTableModel : public RowListModel<StationSeats::Seat> {
    Q_OBJECT

public:
    enum Column { Seat, Device, State, Heartbeat, Battery, Outbox, LastScore, Refused, Marks };
    static constexpr int ColumnCount = Marks + 1;

    explicit SeatsTableModel(StationSeats& seats, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of one cell, as shown.
    static QString cellText(const StationSeats::Seat& seat, int column);

private:
    StationSeats& mSeats;
};
