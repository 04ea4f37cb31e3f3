#include "resultstab.h"

#include "awardslist.h"
#include "paperworkbutton.h"
#include "readonlygrid.h"
#include "resultssavebuttons.h"

#include "console/meetchoices.h"
#include "db/meetevents.h"
#include "results/resultstablemodel.h"
#include "shell/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TwipsPerPixel = 15;

} // namespace

ResultsTab::ResultsTab(MeetDatabase& db, Prompter& prompter, std::function<QString()> chosenSession,
                       QWidget* parent)
    : QWidget(parent)
    , mDb(db)
    , mPrompter(prompter)
    , mChosenSession(std::move(chosenSession))
    , mModel(new ResultsTableModel(db, this))
    , mGym(new QComboBox(this))
    , mLevel(new QComboBox(this))
    , mSquad(new QComboBox(this))
    , mDivision(new QComboBox(this))
    , mSort(new QComboBox(this))
    , mAutoRefresh(new QCheckBox(u"Auto refresh"_s, this))
    , mGrid(new QTableView(this))
    , mTimer(new QTimer(this)) {
    mGym->setObjectName(u"combo_gym2"_s);
    mLevel->setObjectName(u"combo_level2"_s);
    mSquad->setObjectName(u"combo_squad2"_s);
    mDivision->setObjectName(u"Combo_Div"_s);
    mSort->setObjectName(u"combo_result_sort"_s);
    mAutoRefresh->setObjectName(u"chkAutoReloadResults"_s);
    mGrid->setObjectName(u"grid2"_s);
    mTimer->setObjectName(u"timerAutoReloadResults"_s);
    mTimer->setInterval(5000);
    auto* show = new QPushButton(u"Show"_s, this);
    show->setObjectName(u"cmdShowResults"_s);

    fillChoices(db);
    mGrid->setModel(mModel);
    setUpReadOnlyGrid(mGrid);
    for (int column = 0; column < ResultsTableModel::ColumnCount; ++column) {
        mGrid->setColumnHidden(column, ResultsTableModel::isHiddenColumn(column));
        mGrid->setColumnWidth(column, ResultsTableModel::columnWidthTwips(column) / TwipsPerPixel);
    }

    auto* filters = buildFilters(db, show);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(mGrid, 1);

    auto* history = new QPushButton(u"History"_s, this);
    history->setObjectName(u"cmdResultsHistory"_s);
    // Above Show, where no caption is: the tab grows no wider.
    int row = 0, column = 0, rows = 0, columns = 0;
    filters->getItemPosition(filters->indexOf(show), &row, &column, &rows, &columns);
    filters->addWidget(history, 0, column);
    connect(history, &QPushButton::clicked, this, [this] { historyOf(mGrid->currentIndex()); });
    auto* menu = new QMenu(this);
    QAction* historyAction = menu->addAction(u"History"_s);
    historyAction->setObjectName(u"mnuResultsHistory"_s);
    mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mGrid, &QWidget::customContextMenuRequested, this, [this, menu](const QPoint& at) {
        const QModelIndex index = mGrid->indexAt(at);
        if (!index.isValid())
            return;
        mGrid->setCurrentIndex(index);
        menu->popup(mGrid->viewport()->mapToGlobal(at));
    });
    connect(historyAction, &QAction::triggered, this, [this] { historyOf(mGrid->currentIndex()); });
    connect(show, &QPushButton::clicked, this, &ResultsTab::showResults);
    connect(mLevel, &QComboBox::activated, this, &ResultsTab::levelChosen);
    connect(mAutoRefresh, &QCheckBox::toggled, this, &ResultsTab::autoRefreshToggled);
    connect(mTimer, &QTimer::timeout, this, &ResultsTab::showResults);
}

// Filled once, when the window opens: levels, squads, gyms, divisions, orders.
void ResultsTab::fillChoices(MeetDatabase& db) {
    mLevel->addItem(u"All"_s);
    mLevel->addItems(MeetChoices::levels(db));
    mResultsLevel = mLevel->itemText(0);
    mSquad->addItem(u"All"_s);
    mSquad->addItems(MeetChoices::squads());
    mGym->addItem(u"All"_s, 0);
    for (const IdChoice& gym : MeetChoices::gyms(db))
        mGym->addItem(gym.text, gym.id);
    fillAgeDivisions();
    mSort->addItems({u"Gymnast Number"_s, u"Gymnast Name"_s, u"Vault Score"_s, u"Bars Score"_s,
                     u"Beam Score"_s, u"Floor Score"_s, u"AA Score"_s});
}

// Each filter box under its caption, then Show, Auto refresh and the save buttons.
QGridLayout* ResultsTab::buildFilters(MeetDatabase& db, QPushButton* show) {
    auto* filters = new QGridLayout;
    int column = 0;
    for (const auto& [caption, box] :
         {std::pair{u"Gym"_s, mGym}, std::pair{u"Level"_s, mLevel}, std::pair{u"Squad"_s, mSquad},
          std::pair{u"Div"_s, mDivision}, std::pair{u"Sort By"_s, mSort}}) {
        filters->addWidget(new QLabel(caption, this), 0, column);
        filters->addWidget(box, 1, column++);
    }
    mGym->setMinimumContentsLength(16);
    filters->addWidget(show, 1, column++);
    filters->addWidget(mAutoRefresh, 1, column++);
    const auto session = [this] {
        return mChosenSession ? mChosenSession() : QString();
    };
    filters->addWidget(
        new ResultsSaveButtons(
            db, mPrompter, session,
            [this] { return mLevel->currentIndex() > 0 ? mLevel->currentText() : QString(); },
            this),
        1, column);
    // Above the save buttons, in the captions' row: the tab keeps its width.
    auto* awards = new PaperworkButton(
        u"Print Awards…"_s, u"awards list"_s, db, mPrompter, session,
        [](MeetDatabase&, const PrintedResults& printed, QString* error) {
            return AwardsList(printed, AwardsList::DefaultPlaces).pdf(error);
        },
        this);
    awards->setObjectName(u"cmdPrintAwards"_s);
    filters->addWidget(awards, 0, column++, Qt::AlignLeft);
    filters->setColumnStretch(column, 1);
    return filters;
}

void ResultsTab::setRefreshInterval(int milliseconds) {
    mTimer->setInterval(milliseconds);
}

void ResultsTab::showResults() {
    ResultsFilter filter;
    filter.session = mChosenSession ? mChosenSession() : QString();
    if (mGym->currentIndex() > 0)
        filter.gymId = mGym->currentData().toLongLong();
    if (mLevel->currentIndex() > 0)
        filter.level = mLevel->currentText();
    if (mSquad->currentIndex() > 0)
        filter.squad = mSquad->currentText();
    if (mDivision->currentIndex() > 0)
        filter.ageId = mDivision->currentData().toLongLong();
    filter.sort = ResultsFilter::Sort(qMax(0, mSort->currentIndex()));
    if (!mModel->show(filter)) {
        // Tell the operator once, not every five seconds.
        mAutoRefresh->setChecked(false);
        mPrompter.showMessage(u"The results could not be shown: "_s + mModel->error(),
                              Prompter::Icon::Critical);
    }
}

// A new level offers only its own age divisions, back on "All".
void ResultsTab::levelChosen() {
    if (mLevel->currentText() == mResultsLevel)
        return;
    mResultsLevel = mLevel->currentText();
    fillAgeDivisions();
}

void ResultsTab::fillAgeDivisions() {
    mDivision->clear();
    mDivision->addItem(u"All"_s, 0);
    const QString level = mLevel->currentIndex() > 0 ? mResultsLevel : QString();
    for (const IdChoice& division : MeetChoices::ageDivisions(mDb, level))
        mDivision->addItem(division.text, division.id);
    mDivision->setCurrentIndex(0);
}

void ResultsTab::autoRefreshToggled(bool on) {
    if (!on) {
        mTimer->stop();
        return;
    }
    showResults();
    if (mAutoRefresh->isChecked())
        mTimer->start();
}

void ResultsTab::historyOf(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const QString num = mModel->index(index.row(), 1).data().toString();
    if (num.isEmpty())
        return;
    // The columns of the four events follow the number and the name.
    const int event = index.column() - 3;
    Q_EMIT historyRequested(num,
                            event >= 0 && event < 4 ? MeetEvents::names().value(event) : QString());
}
