#include "seatstablemodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

using namespace Qt::Literals::StringLiterals;

SeatsTableModel::SeatsTableModel(StationSeats& seats, QObject* parent)
    : RowListModel(ColumnCount, seats.seats(), parent)
    , mSeats(seats) {
    connect(&seats, &StationSeats::changed, this, [this] { takeRows(mSeats.seats()); });
}

QString SeatsTableModel::cellText(const StationSeats::Seat& seat, int column) {
    switch (column) {
    case Seat:
        return seat.label();
    case Device:
        return seat.address.isEmpty() ? QString() : u"%1 (%2)"_s.arg(seat.address, seat.transport);
    case State:
        return seat.stateText();
    case Heartbeat:
        return seat.roundTripMs < 0
                   ? QString()
                   : u"%1 ms (worst %2)"_s.arg(seat.roundTripMs).arg(seat.worstRoundTripMs);
    case Battery:
        if (!seat.pad || !seat.pad->battery)
            return {};
        return u"%1 %"_s.arg(*seat.pad->battery) +
               (seat.pad->charging.value_or(false) ? u", charging"_s : QString());
    case Outbox:
        if (!seat.pad)
            return {};
        return seat.pad->outbox == 0
                   ? u"empty"_s
                   : u"%1 waiting %2 s"_s.arg(seat.pad->outbox).arg(seat.outboxWaitingSeconds);
    case LastScore:
        return seat.lastScore.isEmpty()
                   ? QString()
                   : seat.lastScore + u" at "_s + seat.lastScoreAt.toString(u"HH:mm:ss"_s);
    case Refused:
        return seat.refusedLogins > 0 ? QString::number(seat.refusedLogins) : QString();
    case Marks:
        return seat.marks.join(u"; "_s);
    default:
        return {};
    }
}

QVariant SeatsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows().size())
        return {};
    const StationSeats::Seat& seat = rows()[index.row()];
    const bool trouble = !seat.marks.isEmpty();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cellText(seat, index.column());
    case Qt::BackgroundRole:
        return trouble ? QBrush(QColor(255, 236, 179)) : QVariant();
    case Qt::ForegroundRole:
        return trouble ? QBrush(QColor(140, 20, 20)) : QVariant();
    case Qt::FontRole:
        if (trouble && index.column() == Marks) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant SeatsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles{u"Seat"_s,       u"Device"_s,          u"State"_s,
                                    u"Heartbeat"_s,  u"Battery"_s,         u"Outbox"_s,
                                    u"Last score"_s, u"Refused log-ins"_s, u"Marks"_s};
    return titles.value(section);
}
