#include "sessionstab.h"

#include "console/sessionsconsole.h"
#include "judgesheets.h"
#include "paperworkbutton.h"
#include "recordeditorframe.h"
#include "startlist.h"

#include "db/meetevents.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

SessionsTab::SessionsTab(SessionsConsole& sessions, MeetDatabase& db, Prompter& prompter,
                         QWidget* parent)
    : QWidget(parent)
    , mSessions(sessions)
    , mList(new QListWidget(this))
    , mEditor(new RecordEditorFrame(u"frame_session"_s, this)) {
    mList->setObjectName(u"lstSessions"_s);
    auto* listBox = new QGroupBox(u"Sessions"_s, this);
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(mList);
    const auto chosen = [this] {
        return chosenSession();
    };
    auto* startList = new PaperworkButton(
        u"Print Start List…"_s, u"start list"_s, db, prompter, chosen,
        [](MeetDatabase&, const PrintedResults& printed, QString* error) {
            return StartList::pdf(printed, error);
        },
        listBox);
    startList->setObjectName(u"cmdPrintStartList"_s);
    auto* judgeSheets = new PaperworkButton(
        u"Print Judge Sheets…"_s, u"judge sheets"_s, db, prompter, chosen,
        [](MeetDatabase& meet, const PrintedResults& printed, QString* error) {
            const std::optional<int> judges = JudgeSheets::panelSize(meet, error);
            return judges ? JudgeSheets::pdf(printed, MeetEvents::names(), *judges, error)
                          : QByteArray();
        },
        listBox);
    judgeSheets->setObjectName(u"cmdPrintJudgeSheets"_s);
    auto* printing = new QHBoxLayout;
    printing->addWidget(startList);
    printing->addWidget(judgeSheets);
    printing->addStretch();
    listLayout->addLayout(printing);

    mNumber = mEditor->addLine("txtSession", u"Session"_s);
    mNumber->setReadOnly(true);
    mDescription = mEditor->addLine("txtSessionDesc", u"Description"_s);
    mDate = mEditor->addLine("sDate", u"Date"_s);
    mOpenWarmup = mEditor->addLine("open_warmup", u"Open Warmup"_s);
    mTimedWarmup = mEditor->addLine("timed_warmup", u"Timed Warmup"_s);
    mMarchIn = mEditor->addLine("march_in", u"March In"_s);
    mAwards = mEditor->addLine("awards", u"Awards"_s);
    mEditor->addButtons("cmdSessionSave", "cmdSessionCancel");
    mEditor->hide();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listBox, 1);
    layout->addWidget(mEditor, 1);

    connect(&mSessions, &SessionsConsole::sessionsChanged, this, &SessionsTab::refill);
    connect(mList, &QListWidget::itemClicked, this, &SessionsTab::select);
    connect(mEditor->saveButton(), &QPushButton::clicked, this, &SessionsTab::save);
    connect(mEditor->cancelButton(), &QPushButton::clicked, this, &SessionsTab::cancel);
    refill();
}

void SessionsTab::refill() {
    mList->clear();
    for (const SessionEntry& entry : mSessions.sessions()) {
        auto* item = new QListWidgetItem(SessionsConsole::listText(entry), mList);
        item->setData(Qt::UserRole, entry.number);
    }
}

QString SessionsTab::chosenSession() const {
    const QListWidgetItem* item = mList->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void SessionsTab::select() {
    const QListWidgetItem* item = mList->currentItem();
    if (!item)
        return;
    const auto record = mSessions.load(item->data(Qt::UserRole).toString());
    if (!record) {
        mEditor->hide();
        return;
    }
    mNumber->setText(record->number);
    mDescription->setText(record->description);
    mDate->setText(record->date);
    mOpenWarmup->setText(record->openWarmup);
    mTimedWarmup->setText(record->timedWarmup);
    mMarchIn->setText(record->marchIn);
    mAwards->setText(record->awards);
    mEditor->show();
}

void SessionsTab::save() {
    const SessionRecord edited{mNumber->text(),     mDescription->text(), mDate->text(),
                               mOpenWarmup->text(), mTimedWarmup->text(), mMarchIn->text(),
                               mAwards->text()};
    // A refused save keeps what was typed in the editor.
    if (mSessions.save(edited))
        cancel();
}

void SessionsTab::cancel() {
    mEditor->clearLines();
    mEditor->hide();
}
