#include "sessionstab.h"

#include "console/sessionsconsole.h"
#include "recordeditorframe.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

SessionsTab::SessionsTab(SessionsConsole& sessions, QWidget* parent)
    : QWidget(parent)
    , mSessions(sessions)
    , mList(new QListWidget(this))
    , mEditor(new RecordEditorFrame(u"frame_session"_s, this)) {
    mList->setObjectName(u"lstSessions"_s);
    auto* listBox = new QGroupBox(u"Sessions"_s, this);
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(mList);

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
