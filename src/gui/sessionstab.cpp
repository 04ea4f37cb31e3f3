#include "sessionstab.h"

#include "console/sessionsconsole.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

SessionsTab::SessionsTab(SessionsConsole& sessions, QWidget* parent)
    : QWidget(parent)
    , mSessions(sessions)
    , mList(new QListWidget(this))
    , mEditor(new QFrame(this)) {
    mList->setObjectName(u"lstSessions"_s);
    auto* listBox = new QGroupBox(u"Sessions"_s, this);
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(mList);

    mEditor->setObjectName(u"frame_session"_s);
    mEditor->setFrameShape(QFrame::StyledPanel);
    auto* form = new QGridLayout(mEditor);
    mNumber = addField("txtSession", u"Session"_s, 0);
    mNumber->setReadOnly(true);
    mDescription = addField("txtSessionDesc", u"Description"_s, 1);
    mDate = addField("sDate", u"Date"_s, 2);
    mOpenWarmup = addField("open_warmup", u"Open Warmup"_s, 3);
    mTimedWarmup = addField("timed_warmup", u"Timed Warmup"_s, 4);
    mMarchIn = addField("march_in", u"March In"_s, 5);
    mAwards = addField("awards", u"Awards"_s, 6);
    auto* saveButton = new QPushButton(u"Save"_s, mEditor);
    saveButton->setObjectName(u"cmdSessionSave"_s);
    auto* cancelButton = new QPushButton(u"Cancel"_s, mEditor);
    cancelButton->setObjectName(u"cmdSessionCancel"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    form->addLayout(buttons, 7, 0, 1, 2);
    form->setRowStretch(8, 1);
    mEditor->hide();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listBox, 1);
    layout->addWidget(mEditor, 1);

    connect(&mSessions, &SessionsConsole::sessionsChanged, this, &SessionsTab::refill);
    connect(mList, &QListWidget::itemClicked, this, &SessionsTab::select);
    connect(saveButton, &QPushButton::clicked, this, &SessionsTab::save);
    connect(cancelButton, &QPushButton::clicked, this, &SessionsTab::cancel);
    refill();
}

QLineEdit* SessionsTab::addField(const char* name, const QString& caption, int row) {
    auto* grid = static_cast<QGridLayout*>(mEditor->layout());
    auto* edit = new QLineEdit(mEditor);
    edit->setObjectName(QString::fromLatin1(name));
    grid->addWidget(new QLabel(caption, mEditor), row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
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
    for (QLineEdit* edit :
         {mNumber, mDescription, mDate, mOpenWarmup, mTimedWarmup, mMarchIn, mAwards})
        edit->clear();
    mEditor->hide();
}
