#include "scoreentrywindow.h"

#include "db/meetdatabase.h"
#include "entry/entrygymnast.h"
#include "judging/formatscore.h"
#include "shell/prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int LoadDelayMs = 300;
const QString Rows[] = {u"A"_s, u"B"_s};

QString judgeBoxName(int judge, const QString& row) {
    return u"txtJudge"_s + QString::number(judge) + row;
}

// Wide enough for the widest score ("10.000") in the box's font, whatever the
// layout would otherwise give it.
void fitScoreWidth(QLineEdit* box) {
    constexpr int FrameAndMargins = 14;
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(u"10.000"_s) + FrameAndMargins);
    box->setMaximumWidth(std::max(80, box->minimumWidth()));
}

} // namespace

ScoreEntryWindow::ScoreEntryWindow(MeetDatabase& db, int judgesPerEvent, Prompter& prompter,
                                   SubmitScore submit, QWidget* parent)
    : QDialog(parent)
    , mDb(db)
    , mPrompter(prompter)
    , mSubmit(std::move(submit)) {
    setObjectName(u"frmScoreEntry"_s);
    setWindowTitle(u"Manual Score Entry"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    mJudgeCount = PanelScore::judgeBoxes(judgesPerEvent);
    QString rangeError;
    mRange = ScoreRange::ofMeet(mDb, &rangeError);
    if (!rangeError.isEmpty())
        qWarning("The meet's maximum score could not be read, 10 is used: %s",
                 qPrintable(rangeError));
    buildLayout();
    mSendToScoreboard->setChecked(true);

    // The gymnast is read once the window is on screen.
    mLoadTimer = new QTimer(this);
    mLoadTimer->setObjectName(u"Timer1"_s);
    mLoadTimer->setSingleShot(true);
    mLoadTimer->setInterval(LoadDelayMs);
    connect(mLoadTimer, &QTimer::timeout, this, &ScoreEntryWindow::loadGymnast);
    mLoadTimer->start();
}

void ScoreEntryWindow::setGymnastNumber(const QString& number) {
    mNumber->setText(number);
}

void ScoreEntryWindow::setEventName(const QString& event) {
    mEventName->setText(event);
}

QLineEdit* ScoreEntryWindow::addBox(const QString& name) {
    auto* box = new QLineEdit(mEntry);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    fitScoreWidth(box);
    box->installEventFilter(this);
    return box;
}

void ScoreEntryWindow::buildLayout() {
    mNumber = new QLineEdit(this);
    mNumber->setObjectName(u"txtGymnastNumber"_s);
    mNumber->setReadOnly(true);
    mEventName = new QLabel(this);
    mEventName->setObjectName(u"lblEventName"_s);
    auto* top = new QHBoxLayout;
    top->addWidget(mNumber);
    top->addWidget(mEventName, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildGymnastInfo());
    layout->addWidget(buildEntryGrid());
    layout->addLayout(buildButtons());
}

QGroupBox* ScoreEntryWindow::buildGymnastInfo() {
    auto* info = new QGroupBox(u"Gymnast Information"_s, this);
    auto* infoLayout = new QVBoxLayout(info);
    auto infoLabel = [info, infoLayout](const QString& name) {
        auto* label = new QLabel(info);
        label->setObjectName(name);
        infoLayout->addWidget(label);
        return label;
    };
    mGymnastName = infoLabel(u"lblGymnastName"_s);
    mGymName = infoLabel(u"lblGymName"_s);
    mLevel = infoLabel(u"lblLevel"_s);
    mSquad = infoLabel(u"lblSquad"_s);
    mAgeDivision = infoLabel(u"lblAgeDiv"_s);
    return info;
}

// The score boxes: a row per attempt, a column per judge.
QFrame* ScoreEntryWindow::buildEntryGrid() {
    mEntry = new QFrame(this);
    mEntry->setObjectName(u"fraEntry"_s);
    mEntry->hide();
    auto* grid = new QGridLayout(mEntry);
    auto header = [this, grid](const QString& name, const QString& caption, int column) {
        auto* label = new QLabel(caption, mEntry);
        label->setObjectName(name);
        grid->addWidget(label, 0, column);
        return label;
    };
    header(u"lblStart"_s, u"Start"_s, 1);
    for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge)
        mJudgeHeaders[size_t(judge - 1)] = header(u"lblJudge"_s + QString::number(judge),
                                                  u"Judge "_s + QString::number(judge), 1 + judge);
    header(u"lblND"_s, u"+/- ND"_s, 6);
    header(u"lblFinal"_s, u"Final"_s, 7);
    for (int r = 0; r < 2; ++r) {
        const QString& row = Rows[r];
        AttemptBoxes& boxes = mAttempts[size_t(r)];
        boxes.start = addBox(u"txtStart"_s + row);
        grid->addWidget(boxes.start, r + 1, 1);
        for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge) {
            boxes.judges[size_t(judge - 1)] = addBox(judgeBoxName(judge, row));
            grid->addWidget(boxes.judges[size_t(judge - 1)], r + 1, 1 + judge);
        }
        boxes.adjustment = addBox(u"txtND"_s + row);
        grid->addWidget(boxes.adjustment, r + 1, 6);
    }
    mAttempt2 = new QLabel(u"Attempt 2"_s, mEntry);
    mAttempt2->setObjectName(u"lblAttempt2"_s);
    grid->addWidget(mAttempt2, 2, 0);
    mFinal = new QLineEdit(mEntry);
    mFinal->setObjectName(u"txtFinal"_s);
    mFinal->setReadOnly(true);
    mFinal->setAlignment(Qt::AlignRight);
    fitScoreWidth(mFinal);
    grid->addWidget(mFinal, 1, 7);
    mRangeProblems = new QLabel(mEntry);
    mRangeProblems->setObjectName(u"lblScoreRange"_s);
    mRangeProblems->setStyleSheet(u"QLabel { color: #b00000; }"_s);
    mRangeProblems->setWordWrap(true);
    mRangeProblems->hide();
    grid->addWidget(mRangeProblems, 3, 0, 1, 8);
    return mEntry;
}

QHBoxLayout* ScoreEntryWindow::buildButtons() {
    mSendToScoreboard = new QCheckBox(u"Send to Scoreboard"_s, this);
    mSendToScoreboard->setObjectName(u"chkSendScore"_s);
    mSave = new QPushButton(u"&Save Score"_s, this);
    mSave->setObjectName(u"cmdSendScore"_s);
    mSave->setEnabled(false);
    auto* cancel = new QPushButton(u"&Cancel"_s, this);
    cancel->setObjectName(u"cmdCancel"_s);
    // Return in a score box must not save a score that is still being typed.
    for (QPushButton* button : {mSave, cancel})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mSendToScoreboard);
    buttons->addStretch();
    buttons->addWidget(mSave);
    buttons->addWidget(cancel);
    connect(mSave, &QPushButton::clicked, this, &ScoreEntryWindow::saveScore);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return buttons;
}

void ScoreEntryWindow::loadGymnast() {
    EntryGymnast gymnast;
    QString error;
    if (!EntryGymnast::load(mDb, mNumber->text(), mEventName->text(), mJudgeCount, &gymnast,
                            &error)) {
        mPrompter.showMessage(u"The gymnast could not be read: "_s + error,
                              Prompter::Icon::Critical);
    }
    mGymnastName->setText(gymnast.nameLine);
    mGymName->setText(gymnast.gymName);
    mLevel->setText(gymnast.level);
    mSquad->setText(gymnast.squad);
    mAgeDivision->setText(gymnast.ageDivision);
    const PanelScore::Attempt* attempts[] = {&gymnast.first, &gymnast.second};
    for (size_t r = 0; r < 2; ++r) {
        const AttemptBoxes& boxes = mAttempts[r];
        boxes.start->setText(attempts[r]->start);
        boxes.adjustment->setText(attempts[r]->adjustment);
        for (size_t judge = 0; judge < boxes.judges.size(); ++judge)
            boxes.judges[judge]->setText(attempts[r]->judges[judge]);
    }
    layOut();
    recompute();
    mEntry->show();
    mAttempts[0].judges[0]->setFocus();
    Q_EMIT loaded();
}

// Only the panel's judges have boxes; only Vault has a second attempt.
void ScoreEntryWindow::layOut() {
    const bool vault = PanelScore::hasSecondAttempt(mEventName->text());
    for (size_t judge = 0; judge < mJudgeHeaders.size(); ++judge) {
        const bool used = int(judge) < mJudgeCount;
        mJudgeHeaders[judge]->setVisible(used);
        mAttempts[0].judges[judge]->setVisible(used);
        mAttempts[1].judges[judge]->setVisible(used && vault);
    }
    mAttempt2->setVisible(vault);
    mAttempts[1].start->setVisible(vault);
    mAttempts[1].adjustment->setVisible(vault);
}

bool ScoreEntryWindow::isJudgeBox(const QObject* object) const {
    return object->objectName().startsWith(u"txtJudge"_s);
}

bool ScoreEntryWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusIn) {
        // After the click that brought the focus has placed the cursor.
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    } else if (edit && event->type() == QEvent::FocusOut) {
        leaveBox(edit);
    }
    return QDialog::eventFilter(watched, event);
}

void ScoreEntryWindow::leaveBox(QLineEdit* edit) {
    if (isJudgeBox(edit))
        edit->setText(formatScore(edit->text().trimmed()));
    recompute();
}

PanelScore::Attempt ScoreEntryWindow::attempt(int row) const {
    const AttemptBoxes& boxes = mAttempts[size_t(row)];
    PanelScore::Attempt attempt;
    attempt.start = boxes.start->text();
    attempt.adjustment = boxes.adjustment->text();
    for (size_t judge = 0; judge < boxes.judges.size(); ++judge)
        attempt.judges[judge] = boxes.judges[judge]->text();
    return attempt;
}

void ScoreEntryWindow::recompute() {
    mResult = PanelScore::compute(mEventName->text(), mJudgeCount, attempt(0), attempt(1));
    mFinal->setText(mResult.complete ? mResult.finalText : QString());
    const bool inRange = checkRange();
    mSave->setEnabled(mResult.complete && inRange);
}

bool ScoreEntryWindow::checkRange() {
    const bool vault = PanelScore::hasSecondAttempt(mEventName->text());
    QStringList problems;
    const auto check = [this, &problems](QLineEdit* box, const QString& what, bool used) {
        const QString problem = used ? mRange.problem(what, box->text()) : QString();
        box->setToolTip(problem);
        box->setStyleSheet(problem.isEmpty() ? QString()
                                             : u"QLineEdit { border: 2px solid #b00000; }"_s);
        if (!problem.isEmpty())
            problems.append(problem);
    };
    for (size_t r = 0; r < mAttempts.size(); ++r) {
        const AttemptBoxes& boxes = mAttempts[r];
        const bool used = r == 0 || vault;
        const QString prefix = r == 0 ? QString() : u"Attempt 2 "_s;
        check(boxes.start, prefix + u"Start"_s, used);
        for (size_t judge = 0; judge < boxes.judges.size(); ++judge)
            check(boxes.judges[judge], prefix + u"Judge "_s + QString::number(judge + 1),
                  used && int(judge) < mJudgeCount);
    }
    check(mFinal, u"Final"_s, true);
    mRangeProblems->setText(problems.join(u'\n'));
    mRangeProblems->setVisible(!problems.isEmpty());
    return problems.isEmpty();
}

void ScoreEntryWindow::saveScore() {
    // A shortcut saves without leaving the box being typed in: finish it first.
    if (auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        focused && focused->parent() == mEntry)
        leaveBox(focused);
    else
        recompute();
    if (!mResult.complete || !mSave->isEnabled())
        return;
    const SubmittedScore score = PanelScore::submittedScore(mNumber->text(), mEventName->text(),
                                                            attempt(0), attempt(1), mResult);
    if (mSubmit)
        mSubmit(score, !mSendToScoreboard->isChecked());
    accept();
}
