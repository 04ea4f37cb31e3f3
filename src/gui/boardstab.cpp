#include "boardstab.h"

#include "boardlinkspanel.h"
#include "choicedelegate.h"
#include "console/boardstablemodel.h"
#include "console/meetchoices.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList distinct(QStringList list) {
    list.removeDuplicates();
    return list;
}

} // namespace

BoardsTab::BoardsTab(BoardLayouts& boards, MeetDatabase& db, QWidget* parent)
    : QWidget(parent) {
    auto* model = new BoardsTableModel(
        boards, [&db] { return distinct(MeetChoices::levels(db)); },
        [&db] {
            QStringList names;
            for (const IdChoice& division : MeetChoices::ageDivisions(db, {}))
                names.append(division.text);
            return distinct(names);
        },
        this);
    mView = new QTableView(this);
    mView->setObjectName(u"lstBoards"_s);
    mView->setModel(model);
    mView->setItemDelegate(new ChoiceDelegate(BoardsTableModel::ChoicesRole,
                                              BoardsTableModel::ChoiceLabelsRole, mView));
    mView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mView->setSelectionMode(QAbstractItemView::NoSelection);
    mView->verticalHeader()->hide();
    QHeaderView* header = mView->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    // The boxes are wider than the texts they show.
    const std::pair<int, int> boxWidths[] = {{BoardsTableModel::Layout, 170},
                                             {BoardsTableModel::Event, 110},
                                             {BoardsTableModel::Level, 90},
                                             {BoardsTableModel::Division, 120}};
    for (const auto& [column, width] : boxWidths) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        header->resizeSection(column, width);
    }
    mView->verticalHeader()->setDefaultSectionSize(mView->fontMetrics().height() + 14);
    connect(model, &QAbstractItemModel::modelReset, this, &BoardsTab::showBoxes);
    connect(model, &QAbstractItemModel::dataChanged, this, &BoardsTab::showBoxes);
    showBoxes();

    auto* note = new QLabel(u"A browser board takes the layout chosen here at once, and again "
                            "each time it logs in. TCP displays show one score at a time."_s,
                            this);
    note->setWordWrap(true);
    mLinks = new BoardLinksPanel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(mView, 1);
    layout->addWidget(note);
    layout->addWidget(mLinks);
}

void BoardsTab::showBoxes() {
    QAbstractItemModel* model = mView->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = BoardsTableModel::Layout; column <= BoardsTableModel::Division;
             ++column) {
            const QModelIndex cell = model->index(row, column);
            const bool editable = model->flags(cell) & Qt::ItemIsEditable;
            if (editable && !mView->isPersistentEditorOpen(cell))
                mView->openPersistentEditor(cell);
            else if (!editable && mView->isPersistentEditorOpen(cell))
                mView->closePersistentEditor(cell);
        }
    }
}
