#include "stationstab.h"

#include "readonlygrid.h"
#include "seatstablemodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

StationsTab::StationsTab(StationSeats& seats, QWidget* parent)
    : QWidget(parent) {
    auto* view = new QTableView(this);
    view->setObjectName(u"stationsView"_s);
    setUpReadOnlyGrid(view);
    view->setModel(new SeatsTableModel(seats, view));
    // Sixteen judges' seats and eight boards fit without scrolling on a
    // laptop's screen: the rows are one small line each.
    QFont small = view->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    view->setFont(small);
    view->verticalHeader()->setMinimumSectionSize(1);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(small).height() + 2);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(SeatsTableModel::Marks, QHeaderView::Stretch);
    auto* rehearsal = new QPushButton(u"Rehearsal…"_s, this);
    rehearsal->setObjectName(u"cmdRehearsal"_s);
    connect(rehearsal, &QPushButton::clicked, this, &StationsTab::rehearsalRequested);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(rehearsal);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(view);
    layout->addLayout(buttons);
}
