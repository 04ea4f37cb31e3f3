#pragma once

#include "boardlayouts.h"
#include "rowlistmodel.h"

#include <functional>

// The boards of BoardLayouts as the server window lists them: one row per
// board, its layout, event, level and division editable where the layout
// uses them (each edit is the desk's choice, sent to the board at once), and
// what the board says it shows. A TCP display's row is fixed to the single
// score. Each editable cell offers its choices under ChoicesRole (the value
// kept) and ChoiceLabelsRole (the text shown).
class BoardsTableModel : public RowListModel<BoardLayouts::Board> {
    Q_OBJECT

public:
    enum Column { Board, Device, State, Layout, Event, Level, Division, Showing };
    static constexpr int ColumnCount = Showing + 1;
    static constexpr int ChoicesRole = Qt::UserRole + 1;
    static constexpr int ChoiceLabelsRole = Qt::UserRole + 2;

    // `levels` and `divisions` give the meet's, offered for the group.
    BoardsTableModel(BoardLayouts& boards, std::function<QStringList()> levels,
                     std::function<QStringList()> divisions, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Why the last edit was refused; empty after one that was taken.
    QString refusal() const { return mRefusal; }

private:
    QString cellText(const BoardLayouts::Board& board, int column) const;
    QStringList choices(int column) const;

    BoardLayouts& mBoards;
    std::function<QStringList()> mLevels;
    std::function<QStringList()> mDivisions;
    QString mRefusal;
};
