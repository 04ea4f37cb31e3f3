#include "gymnaststab.h"

#include "console/gymnastsconsole.h"
#include "console/meetchoices.h"
#include "db/meetchanges.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "recordeditorframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

GymnastsTab::GymnastsTab(GymnastsConsole& gymnasts, MeetDatabase& db, QWidget* parent)
    : QWidget(parent)
    , mGymnasts(gymnasts)
    , mList(new QListWidget(this))
    , mSort(new QComboBox(this))
    , mEditor(new RecordEditorFrame(u"frame_gymnast"_s, this)) {
    mList->setObjectName(u"lstGymnasts"_s);
    mSort->setObjectName(u"Combo_gymnast_sort"_s);
    mSort->addItems({u"Name"_s, u"Number"_s});
    mSort->setCurrentIndex(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildList(), 3);
    layout->addWidget(buildEditor(db), 3);
    layout->addLayout(buildScores(), 1);
    buildHistoryMenu();

    connect(&mGymnasts, &GymnastsConsole::gymnastsChanged, this, &GymnastsTab::refill);
    // A score stored for the gymnast shown (by manual entry or a station)
    // shows at once, without clicking the gymnast again.
    connect(&db.changes(), &MeetChanges::committed, this, [this](const MeetChange& change) {
        if (change.isScore())
            refreshScores();
    });
    connect(mSort, &QComboBox::currentIndexChanged, this, [this](int index) {
        mGymnasts.setSort(index == 0 ? GymnastsConsole::Sort::Name : GymnastsConsole::Sort::Number);
    });
    connect(mList, &QListWidget::itemClicked, this, &GymnastsTab::select);
    connect(mEditor->saveButton(), &QPushButton::clicked, this, &GymnastsTab::save);
    connect(mEditor->cancelButton(), &QPushButton::clicked, this, &GymnastsTab::cancel);
    refill();
}

QGroupBox* GymnastsTab::buildList() {
    auto* listBox = new QGroupBox(u"Gymnasts"_s, this);
    auto* listLayout = new QGridLayout(listBox);
    listLayout->addWidget(new QLabel(u"Sort By"_s, listBox), 0, 0);
    listLayout->addWidget(mSort, 0, 1);
    listLayout->addWidget(mList, 1, 0, 1, 2);
    listLayout->setColumnStretch(1, 1);
    return listBox;
}

RecordEditorFrame* GymnastsTab::buildEditor(MeetDatabase& db) {
    mNum = mEditor->addLine("num", u"Num"_s);
    mNum->setReadOnly(true);
    mFirstName = mEditor->addLine("first_name", u"First Name"_s);
    mLastName = mEditor->addLine("last_name", u"Last Name"_s);
    mUsag = mEditor->addLine("usag", u"USAG#"_s);
    mBirthday = mEditor->addLine("birthday", u"Birthdate"_s);
    mLevel = mEditor->addChoice("combo_level", u"Level"_s);
    mSession = mEditor->addChoice("gymnast_session", u"Session"_s);
    mSquad = mEditor->addChoice("combo_squad", u"Squad"_s);
    mOrder = mEditor->addLine("txtOrder", u"Order"_s);
    mGym = mEditor->addChoice("combo_gym", u"Gym"_s);
    mScratched = new QCheckBox(u"Scratched"_s, mEditor);
    mScratched->setObjectName(u"chkScratched"_s);
    mEditor->addUncaptioned(mScratched);
    mEditor->addButtons("Command3", "Command2");
    mEditor->hide();

    // The editor's lists are read once, when the window opens.
    mLevel->addItems(MeetChoices::levels(db));
    mSession->addItems(MeetChoices::sessionNumbers(db));
    mSquad->addItems(MeetChoices::squads());
    for (const IdChoice& gym : MeetChoices::gyms(db))
        mGym->addItem(gym.text, gym.id);
    return mEditor;
}

// The event buttons that open the manual score entry, and the stored finals.
QGridLayout* GymnastsTab::buildScores() {
    auto* scores = new QGridLayout;
    mViewScores = new QLabel(u"View/Edit Scores"_s, this);
    mViewScores->setObjectName(u"lblViewScores"_s);
    scores->addWidget(mViewScores, 0, 0, 1, 2);
    const char* const buttonNames[] = {"scoreVault", "scoreBars", "scoreBeam", "scoreFloor"};
    const char* const boxNames[] = {"txtVaultScore", "txtBarsScore", "txtBeamScore",
                                    "txtFloorScore", "txtAAScore"};
    const QStringList& events = MeetEvents::names();
    for (int i = 0; i < 5; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(boxNames[i]));
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignRight);
        // Wide enough for the widest total ("88.888") in the box's font,
        // whatever room the layout would otherwise leave it.
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(u"88.888"_s) + 14);
        box->setMaximumWidth(std::max(90, box->minimumWidth()));
        mScoreBoxes.append(box);
        if (i < 4) {
            auto* button = new QPushButton(events[i], this);
            button->setObjectName(QString::fromLatin1(buttonNames[i]));
            mEventButtons.append(button);
            scores->addWidget(button, i + 1, 0);
            connect(button, &QPushButton::clicked, this, [this, event = events[i]] {
                if (const QListWidgetItem* item = mList->currentItem())
                    Q_EMIT scoreEntryRequested(item->data(Qt::UserRole).toString(), event);
            });
        } else {
            mAllAroundLabel = new QLabel(u"AA"_s, this);
            mAllAroundLabel->setObjectName(u"lblAAScore"_s);
            mAllAroundLabel->setAlignment(Qt::AlignCenter);
            scores->addWidget(mAllAroundLabel, i + 1, 0);
        }
        scores->addWidget(box, i + 1, 1);
    }
    auto* history = new QPushButton(u"History"_s, this);
    history->setObjectName(u"cmdGymnastHistory"_s);
    mEventButtons.append(history);
    scores->addWidget(history, 6, 0);
    connect(history, &QPushButton::clicked, this, [this] {
        if (const QListWidgetItem* item = mList->currentItem())
            Q_EMIT historyRequested(item->data(Qt::UserRole).toString(), QString());
    });
    scores->setRowStretch(7, 1);
    setScoreAreaVisible(false);
    return scores;
}

// The History menu: of every event on the gymnast list, of one event on its score box.
void GymnastsTab::buildHistoryMenu() {
    mHistoryMenu = new QMenu(this);
    QAction* history = mHistoryMenu->addAction(u"History"_s);
    history->setObjectName(u"mnuGymnastHistory"_s);
    connect(history, &QAction::triggered, this, [this] {
        if (const QListWidgetItem* item = mList->currentItem())
            Q_EMIT historyRequested(item->data(Qt::UserRole).toString(), mHistoryEvent);
    });
    const auto offer = [this](QWidget* widget, const QString& event) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget, event](const QPoint& at) {
                    if (!mList->currentItem())
                        return;
                    mHistoryEvent = event;
                    mHistoryMenu->popup(widget->mapToGlobal(at));
                });
    };
    offer(mList, QString());
    for (int i = 0; i < 4; ++i)
        offer(mScoreBoxes[i], MeetEvents::names()[i]);
}

void GymnastsTab::refill() {
    mList->clear();
    for (const GymnastEntry& entry : mGymnasts.gymnasts()) {
        auto* item = new QListWidgetItem(entry.text, mList);
        item->setData(Qt::UserRole, entry.num);
    }
}

void GymnastsTab::setScoreAreaVisible(bool visible) {
    mViewScores->setVisible(visible);
    mAllAroundLabel->setVisible(visible);
    for (QPushButton* button : mEventButtons)
        button->setVisible(visible);
    for (QLineEdit* box : mScoreBoxes)
        box->setVisible(visible);
}

void GymnastsTab::select() {
    const QListWidgetItem* item = mList->currentItem();
    if (!item)
        return;
    setScoreAreaVisible(true);
    const auto record = mGymnasts.load(item->data(Qt::UserRole).toString());
    if (!record) {
        mShownNum.clear();
        mEditor->hide();
        return;
    }
    mShownNum = record->num;
    mNum->setText(record->num);
    mFirstName->setText(record->firstName);
    mLastName->setText(record->lastName);
    mUsag->setText(record->usag);
    mBirthday->setText(record->birthday);
    mOrder->setText(record->order);
    for (int i = 0; i < mScoreBoxes.size(); ++i)
        mScoreBoxes[i]->setText(record->scores.value(i));
    // A stored value the lists do not offer selects nothing, and saving keeps it.
    mLevel->setCurrentIndex(mLevel->findText(record->level));
    mSession->setCurrentIndex(mSession->findText(record->session));
    mSquad->setCurrentIndex(mSquad->findText(record->squad));
    mGym->setCurrentIndex(record->gymId.isValid() ? mGym->findData(record->gymId.toLongLong())
                                                  : -1);
    mScratched->setChecked(record->scratched);
    mEditor->show();
}

void GymnastsTab::save() {
    GymnastRecord edited;
    edited.num = mNum->text();
    edited.firstName = mFirstName->text();
    edited.lastName = mLastName->text();
    edited.usag = mUsag->text();
    edited.birthday = mBirthday->text();
    edited.order = mOrder->text();
    edited.level = mLevel->currentIndex() >= 0 ? mLevel->currentText() : QString();
    edited.session = mSession->currentIndex() >= 0 ? mSession->currentText() : QString();
    edited.squad = mSquad->currentIndex() >= 0 ? mSquad->currentText() : QString();
    edited.gymId = mGym->currentIndex() >= 0 ? mGym->currentData() : QVariant();
    edited.scratched = mScratched->isChecked();
    if (!mGymnasts.save(edited))
        return;
    mEditor->clearLines();
    mEditor->hide();
}

void GymnastsTab::refreshScores() {
    if (mShownNum.isEmpty())
        return;
    if (const auto scores = mGymnasts.scores(mShownNum)) {
        for (int i = 0; i < mScoreBoxes.size(); ++i)
            mScoreBoxes[i]->setText(scores->value(i));
    }
}

void GymnastsTab::cancel() {
    mShownNum.clear();
    mEditor->clearLines();
    for (QLineEdit* box : mScoreBoxes)
        box->clear();
    setScoreAreaVisible(false);
    mEditor->hide();
}
