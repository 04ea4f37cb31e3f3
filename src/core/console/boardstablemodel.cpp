#include "boardstablemodel.h"

#include "db/meetevents.h"

using namespace Qt::Literals::StringLiterals;

BoardsTableModel::BoardsTableModel(BoardLayouts& boards, std::function<QStringList()> levels,
                                   std::function<QStringList()> divisions, QObject* parent)
    : RowListModel(ColumnCount, boards.boards(), parent)
    , mBoards(boards)
    , mLevels(std::move(levels))
    , mDivisions(std::move(divisions)) {
    connect(&boards, &BoardLayouts::changed, this, [this] { takeRows(mBoards.boards()); });
}

QString BoardsTableModel::cellText(const BoardLayouts::Board& board, int column) const {
    const BoardLayout current = board.current();
    switch (column) {
    case Board:
        return board.name;
    case Device:
        return u"%1 (%2)"_s.arg(board.address, board.browser ? u"browser"_s : u"TCP"_s);
    case State:
        return board.connection != 0 ? u"connected"_s : u"gone"_s;
    case Layout:
        return board.browser ? BoardLayout::layoutLabel(current.layout)
                             : u"One score at a time (fixed)"_s;
    case Event:
        return current.shows == QLatin1StringView(BoardLayout::AllEvents) ? u"all events"_s
                                                                          : current.shows;
    case Level:
        return current.level;
    case Division:
        return current.division;
    case Showing:
        if (!board.showing)
            return board.connection != 0 ? u"not said yet"_s : QString();
        return board.showing->describe() +
               (board.chosen && board.chosen != board.showing ? u" (changing)"_s : QString());
    default:
        return {};
    }
}

QStringList BoardsTableModel::choices(int column) const {
    switch (column) {
    case Layout:
        return BoardLayout::layouts();
    case Event:
        return QStringList{QString::fromLatin1(BoardLayout::AllEvents)} + MeetEvents::names();
    case Level:
        return QStringList{QString()} + (mLevels ? mLevels() : QStringList());
    case Division:
        return QStringList{QString()} + (mDivisions ? mDivisions() : QStringList());
    default:
        return {};
    }
}

QVariant BoardsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows().size())
        return {};
    const BoardLayouts::Board& board = rows()[index.row()];
    const BoardLayout current = board.current();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cellText(board, index.column());
    case Qt::EditRole:
        switch (index.column()) {
        case Layout:
            return current.layout;
        case Event:
            return current.shows;
        case Level:
            return current.level;
        case Division:
            return current.division;
        default:
            return cellText(board, index.column());
        }
    case ChoicesRole:
        return choices(index.column());
    case ChoiceLabelsRole: {
        QStringList labels = choices(index.column());
        for (QString& label : labels) {
            if (index.column() == Layout)
                label = BoardLayout::layoutLabel(label);
            else if (label.isEmpty())
                label = u"(the board chooses)"_s;
            else if (label == QLatin1StringView(BoardLayout::AllEvents))
                label = u"all events"_s;
        }
        return labels;
    }
    default:
        return {};
    }
}

Qt::ItemFlags BoardsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.row() >= rows().size())
        return flags;
    const BoardLayouts::Board& board = rows()[index.row()];
    const QString layout = board.current().layout;
    const bool editable =
        board.browser && (index.column() == Layout ||
                          (index.column() == Event && BoardLayout::followsEvent(layout)) ||
                          ((index.column() == Level || index.column() == Division) &&
                           BoardLayout::followsGroup(layout)));
    return editable ? flags | Qt::ItemIsEditable : flags;
}

bool BoardsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const BoardLayouts::Board& board = rows()[index.row()];
    BoardLayout chosen = board.current();
    const QString text = value.toString();
    switch (index.column()) {
    case Layout:
        chosen.layout = text;
        break;
    case Event:
        chosen.shows = text;
        break;
    case Level:
        chosen.level = text;
        break;
    case Division:
        chosen.division = text;
        break;
    default:
        return false;
    }
    mRefusal.clear();
    // The change comes back through BoardLayouts::changed, which replaces the
    // rows `board` is one of.
    const QString name = board.name;
    return mBoards.choose(name, chosen, &mRefusal);
}

QVariant BoardsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles{u"Board"_s, u"Device"_s, u"State"_s,    u"Layout"_s,
                                    u"Event"_s, u"Level"_s,  u"Division"_s, u"Shows now"_s};
    return titles.value(section);
}
