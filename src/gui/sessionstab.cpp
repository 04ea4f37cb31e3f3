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

namespace {

// The editor's fields in order: object name, caption and what each shows of
// the session's record. The first, the session's number, is read only.
struct Field {
    const char* name;
    QStringView caption;
    QString SessionRecord::*value;
};

constexpr Field Fields[]{
    {"txtSession", u"Session", &SessionRecord::number},
    {"txtSessionDesc", u"Description", &SessionRecord::description},
    {"sDate", u"Date", &SessionRecord::date},
    {"open_warmup", u"Open Warmup", &SessionRecord::openWarmup},
    {"timed_warmup", u"Timed Warmup", &SessionRecord::timedWarmup},
    {"march_in", u"March In", &SessionRecord::marchIn},
    {"awards", u"Awards", &SessionRecord::awards},
};

} // namespace

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

    for (const Field& field : Fields)
        mLines.append(mEditor->addLine(field.name, field.caption.toString()));
    mLines.first()->setReadOnly(true);
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
    for (qsizetype i = 0; i < mLines.size(); ++i)
        mLines[i]->setText((*record).*Fields[i].value);
    mEditor->show();
}

void SessionsTab::save() {
    SessionRecord edited;
    for (qsizetype i = 0; i < mLines.size(); ++i)
        edited.*Fields[i].value = mLines[i]->text();
    // A refused save keeps what was typed in the editor.
    if (mSessions.save(edited))
        cancel();
}

void SessionsTab::cancel() {
    mEditor->clearLines();
    mEditor->hide();
}
