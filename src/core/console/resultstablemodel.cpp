#include "resultstablemodel.h"

#include "consolescore.h"
#include "db/meetevents.h"

using namespace Qt::Literals::StringLiterals;

ResultsTableModel::ResultsTableModel(MeetDatabase& db, QObject* parent)
    : QAbstractTableModel(parent)
    , mQuery(db) {}

bool ResultsTableModel::show(const ResultsFilter& filter) {
    const bool ok = mQuery.run(filter);
    beginResetModel();
    mLines = mQuery.lines();
    endResetModel();
    return ok;
}

int ResultsTableModel::columnWidthTwips(int column) {
    static constexpr int widths[ColumnCount] = {1, 1000, 3800, 1550, 1550, 1550, 1550, 1550, 0, 0};
    return column >= 0 && column < ColumnCount ? widths[column] : 0;
}

bool ResultsTableModel::isHiddenColumn(int column) {
    return column == 0 || column == 8 || column == 9;
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(mLines.size());
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= mLines.size())
        return {};
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        if (column == 1)
            return int(Qt::AlignCenter);
        if (column >= 3 && column <= 7)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole)
        return {};
    const ResultLine& line = mLines[index.row()];
    switch (column) {
    case 1:
        return line.num;
    case 2:
        return line.name;
    case 3:
        return ConsoleScore::text(line.vault);
    case 4:
        return ConsoleScore::text(line.bars);
    case 5:
        return ConsoleScore::text(line.beam);
    case 6:
        return ConsoleScore::text(line.floor);
    case 7:
        return ConsoleScore::text(line.allAround);
    default:
        return QString();
    }
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && section == 1)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const QStringList headers = QStringList{QString(), u"Num"_s, u"Gymnast Name"_s} +
                                       MeetEvents::names() +
                                       QStringList{u"AA"_s, QString(), QString()};
    return section >= 0 && section < ColumnCount ? headers.value(section) : QVariant();
}
