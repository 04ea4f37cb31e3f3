#include "scoreentrywindow.h"

#include "entry/entrygymnast.h"
#include "judging/formatscore.h"
#include "shell/appstate.h"
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

} // namespace

ScoreEntryWindow::ScoreEntryWindow(AppState& state, Prompter& prompter, SubmitScore submit,
                                   QWidget* parent)
    : QDialog(parent)
    , mState(state)
    , mPrompter(prompter)
    , mSubmit(std::move(submit))
    , mToday([] { return QDate::currentDate(); }) {
    setObjectName(u"frmScoreEntry"_s);
    setWindowTitle(u"Manual Score Entry"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    mJudgeCount = PanelScore::judgeBoxes(mState.numJudges());
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

QLineEdit* ScoreEntryWindow::box(const QString& name) const {
    return findChild<QLineEdit*>(name);
}

QLineEdit* ScoreEntryWindow::addBox(const QString& name) {
    auto* box = new QLineEdit(mEntry);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(80);
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

    auto* info = new QGroupBox(u"Gymnast Information"_s, this);
    auto* infoLayout = new QVBoxLayout(info);
    for (const auto* name : {"lblGymnastName", "lblGymName", "lblLevel", "lblSquad", "lblAgeDiv"}) {
        auto* label = new QLabel(info);
        label->setObjectName(QString::fromLatin1(name));
        infoLayout->addWidget(label);
    }

    mEntry = new QFrame(this);
    mEntry->setObjectName(u"fraEntry"_s);
    mEntry->hide();
    auto* grid = new QGridLayout(mEntry);
    auto header = [this, grid](const QString& name, const QString& caption, int column) {
        auto* label = new QLabel(caption, mEntry);
        label->setObjectName(name);
        grid->addWidget(label, 0, column);
    };
    header(u"lblStart"_s, u"Start"_s, 1);
    for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge)
        header(u"lblJudge"_s + QString::number(judge), u"Judge "_s + QString::number(judge),
               1 + judge);
    header(u"lblND"_s, u"+/- ND"_s, 6);
    header(u"lblFinal"_s, u"Final"_s, 7);
    for (int r = 0; r < 2; ++r) {
        const QString& row = Rows[r];
        grid->addWidget(addBox(u"txtStart"_s + row), r + 1, 1);
        for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge)
            grid->addWidget(addBox(judgeBoxName(judge, row)), r + 1, 1 + judge);
        grid->addWidget(addBox(u"txtND"_s + row), r + 1, 6);
    }
    auto* attempt2 = new QLabel(u"Attempt 2"_s, mEntry);
    attempt2->setObjectName(u"lblAttempt2"_s);
    grid->addWidget(attempt2, 2, 0);
    auto* final = new QLineEdit(mEntry);
    final->setObjectName(u"txtFinal"_s);
    final->setReadOnly(true);
    final->setAlignment(Qt::AlignRight);
    final->setMaximumWidth(80);
    grid->addWidget(final, 1, 7);

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

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(info);
    layout->addWidget(mEntry);
    layout->addLayout(buttons);

    connect(mSave, &QPushButton::clicked, this, &ScoreEntryWindow::saveScore);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ScoreEntryWindow::loadGymnast() {
    EntryGymnast gymnast;
    QString error;
    if (!EntryGymnast::load(mState.meetDb(), mNumber->text(), mEventName->text(), mJudgeCount,
                            mToday(), &gymnast, &error)) {
        mPrompter.showMessage(u"The gymnast could not be read: "_s + error,
                              Prompter::Icon::Critical);
    }
    const std::pair<const char*, QString> labels[] = {{"lblGymnastName", gymnast.nameLine},
                                                      {"lblGymName", gymnast.gymName},
                                                      {"lblLevel", gymnast.level},
                                                      {"lblSquad", gymnast.squad},
                                                      {"lblAgeDiv", gymnast.ageDivision}};
    for (const auto& [name, text] : labels)
        findChild<QLabel*>(QString::fromLatin1(name))->setText(text);
    const PanelScore::Attempt* attempts[] = {&gymnast.first, &gymnast.second};
    for (int r = 0; r < 2; ++r) {
        const QString& row = Rows[r];
        box(u"txtStart"_s + row)->setText(attempts[r]->start);
        box(u"txtND"_s + row)->setText(attempts[r]->adjustment);
        for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge)
            box(judgeBoxName(judge, row))->setText(attempts[r]->judges[size_t(judge - 1)]);
    }
    layOut();
    recompute();
    mEntry->show();
    box(judgeBoxName(1, u"A"_s))->setFocus();
    Q_EMIT loaded();
}

// Only the panel's judges have boxes; only Vault has a second attempt.
void ScoreEntryWindow::layOut() {
    const bool vault = mEventName->text() == u"Vault"_s;
    for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge) {
        const bool used = judge <= mJudgeCount;
        findChild<QLabel*>(u"lblJudge"_s + QString::number(judge))->setVisible(used);
        box(judgeBoxName(judge, u"A"_s))->setVisible(used);
        box(judgeBoxName(judge, u"B"_s))->setVisible(used && vault);
    }
    findChild<QLabel*>(u"lblAttempt2"_s)->setVisible(vault);
    box(u"txtStartB"_s)->setVisible(vault);
    box(u"txtNDB"_s)->setVisible(vault);
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

PanelScore::Attempt ScoreEntryWindow::attempt(const QString& row) const {
    PanelScore::Attempt attempt;
    attempt.start = box(u"txtStart"_s + row)->text();
    attempt.adjustment = box(u"txtND"_s + row)->text();
    for (int judge = 1; judge <= PanelScore::MaxJudges; ++judge)
        attempt.judges[size_t(judge - 1)] = box(judgeBoxName(judge, row))->text();
    return attempt;
}

void ScoreEntryWindow::recompute() {
    mResult =
        PanelScore::compute(mEventName->text(), mJudgeCount, attempt(u"A"_s), attempt(u"B"_s));
    box(u"txtFinal"_s)->setText(mResult.complete ? mResult.finalText : QString());
    mSave->setEnabled(mResult.complete);
}

void ScoreEntryWindow::saveScore() {
    // A shortcut saves without leaving the box being typed in: finish it first.
    if (auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        focused && focused->parent() == mEntry)
        leaveBox(focused);
    else
        recompute();
    if (!mResult.complete)
        return;
    const SubmittedScore score = PanelScore::submittedScore(
        mNumber->text(), mEventName->text(), attempt(u"A"_s), attempt(u"B"_s), mResult);
    if (mSubmit)
        mSubmit(score, !mSendToScoreboard->isChecked());
    accept();
}
