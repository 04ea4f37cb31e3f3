#include "inquiriespanel.h"

#include "db/meetchanges.h"
#include "db/meetdatabase.h"
#include "db/meetevents.h"
#include "db/tables/scoreinquiriestable.h"
#include "judging/scoreinquiries.h"
#include "readonlygrid.h"
#include "shell/prompter.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

enum Column {
    NumColumn,
    EventColumn,
    FiledByColumn,
    FiledColumn,
    DecisionColumn,
    DecidedColumn,
    ReasonColumn,
    ColumnCount
};

} // namespace

InquiriesPanel::InquiriesPanel(MeetDatabase& db, Prompter& prompter,
                               std::function<QString()> session, QWidget* parent)
    : QWidget(parent)
    , mDb(db)
    , mPrompter(prompter)
    , mSession(std::move(session))
    , mList(new QTableWidget(0, ColumnCount, this)) {
    mList->setObjectName(u"gridInquiries"_s);
    mList->setHorizontalHeaderLabels({u"Num"_s, u"Event"_s, u"Filed by"_s, u"Filed"_s,
                                      u"Decision"_s, u"Decided"_s, u"Reason"_s});
    setUpReadOnlyGrid(mList);
    mList->horizontalHeader()->setStretchLastSection(true);
    for (const int column : {FiledColumn, DecidedColumn})
        mList->setColumnWidth(
            column, mList->fontMetrics().horizontalAdvance(u"8888-88-88 88:88:88"_s) + 16);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildFiling());
    layout->addWidget(mList, 1);
    layout->addWidget(buildDeciding());
    connect(&db.changes(), &MeetChanges::committed, this, [this](const MeetChange& change) {
        if (change.isWholeMeet() || change.table == ScoreInquiriesTable::Name)
            refresh();
    });
}

QWidget* InquiriesPanel::buildFiling() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    mNum = new QLineEdit(row);
    mNum->setObjectName(u"txtInquiryNum"_s);
    mEvent = new QComboBox(row);
    mEvent->setObjectName(u"comboInquiryEvent"_s);
    mEvent->addItems(MeetEvents::names());
    mFiledBy = new QLineEdit(row);
    mFiledBy->setObjectName(u"txtInquiryFiledBy"_s);
    mFiledBy->setPlaceholderText(u"coach or gymnast"_s);
    auto* file = new QPushButton(u"File inquiry"_s, row);
    file->setObjectName(u"cmdFileInquiry"_s);
    mMinutes = new QSpinBox(row);
    mMinutes->setObjectName(u"spinInquiryMinutes"_s);
    mMinutes->setRange(1, 240);
    mMinutes->setSuffix(u" min"_s);
    mMinutes->setValue(ScoreInquiries(mDb).timeLimitMinutes());
    for (QWidget* widget : std::initializer_list<QWidget*>{
             new QLabel(u"Inquiry: gymnast"_s, row), mNum, new QLabel(u"Event"_s, row), mEvent,
             new QLabel(u"Filed by"_s, row), mFiledBy, file})
        layout->addWidget(widget);
    layout->addStretch();
    mMinutes->setToolTip(u"The time limit for an inquiry after the score was shown"_s);
    layout->addWidget(new QLabel(u"Time limit"_s, row));
    layout->addWidget(mMinutes);
    connect(file, &QPushButton::clicked, this, &InquiriesPanel::file);
    connect(mMinutes, &QSpinBox::valueChanged, this, [this](int minutes) {
        ScoreInquiries inquiries(mDb);
        if (!inquiries.setTimeLimitMinutes(minutes))
            report(u"The time limit could not be saved: "_s + inquiries.lastError());
    });
    return row;
}

QWidget* InquiriesPanel::buildDeciding() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    mReason = new QLineEdit(row);
    mReason->setObjectName(u"txtInquiryReason"_s);
    auto* stands = new QPushButton(u"Score stands"_s, row);
    stands->setObjectName(u"cmdScoreStands"_s);
    auto* newScore = new QPushButton(u"New score…"_s, row);
    newScore->setObjectName(u"cmdInquiryNewScore"_s);
    mReason->setPlaceholderText(u"the meet referee's reason"_s);
    layout->addWidget(new QLabel(u"Decision on the chosen inquiry"_s, row));
    layout->addWidget(mReason, 1);
    layout->addWidget(stands);
    layout->addWidget(newScore);
    connect(stands, &QPushButton::clicked, this, [this] { decide(false); });
    connect(newScore, &QPushButton::clicked, this, [this] { decide(true); });
    return row;
}

void InquiriesPanel::showGymnast(const QString& num, const QString& event) {
    mGymnast = num;
    mNum->setText(num);
    if (const int index = mEvent->findText(event); index >= 0)
        mEvent->setCurrentIndex(index);
    refresh();
}

void InquiriesPanel::refresh() {
    ScoreInquiriesTable table(mDb);
    const auto inquiries = table.all(mGymnast.isEmpty() && mSession ? mSession() : QString());
    mList->setRowCount(0);
    if (!inquiries)
        return;
    for (const ScoreInquiriesTable::Inquiry& inquiry : *inquiries) {
        if (!mGymnast.isEmpty() && inquiry.num != mGymnast)
            continue;
        const int row = mList->rowCount();
        mList->insertRow(row);
        const QStringList cells{inquiry.num,
                                inquiry.event,
                                inquiry.filedBy,
                                inquiry.filedAt.left(19),
                                inquiry.isOpen() ? u"Open"_s : inquiry.decision,
                                inquiry.decidedAt.left(19),
                                inquiry.reason};
        for (int column = 0; column < ColumnCount; ++column)
            mList->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

void InquiriesPanel::file() {
    const QString num = mNum->text().trimmed();
    const QString event = mEvent->currentText();
    const QString filedBy = mFiledBy->text().trimmed();
    if (num.isEmpty() || filedBy.isEmpty()) {
        report(u"Enter the gymnast's number and who filed the inquiry."_s);
        return;
    }
    ScoreInquiries inquiries(mDb);
    const std::optional<qint64> since =
        inquiries.minutesSinceShown(num, event, QDateTime::currentDateTime());
    const int limit = inquiries.timeLimitMinutes();
    if (!since || *since <= limit) {
        record(num, event, filedBy, false);
        return;
    }
    QPointer<InquiriesPanel> self(this);
    mPrompter.askYesNo(u"Gymnast %1's %2 score was shown %3 minutes ago, past the %4-minute "
                       "limit for inquiries. Record the inquiry anyway?"_s.arg(num, event)
                           .arg(*since)
                           .arg(limit),
                       [self, num, event, filedBy](bool yes) {
                           if (self && yes)
                               self->record(num, event, filedBy, true);
                       });
}

void InquiriesPanel::record(const QString& num, const QString& event, const QString& filedBy,
                            bool late) {
    ScoreInquiries inquiries(mDb);
    if (!inquiries.file(num, event, filedBy, late, QDateTime::currentDateTime())) {
        report(u"The inquiry was not recorded: "_s + inquiries.lastError());
        return;
    }
    mFiledBy->clear();
}

void InquiriesPanel::decide(bool newScore) {
    const int row = mList->currentRow();
    const QTableWidgetItem* decision = row < 0 ? nullptr : mList->item(row, DecisionColumn);
    if (!decision || decision->text() != u"Open"_s) {
        report(u"Choose an open inquiry first."_s);
        return;
    }
    const QString num = mList->item(row, NumColumn)->text();
    const QString event = mList->item(row, EventColumn)->text();
    const QString reason = mReason->text().trimmed();
    if (reason.isEmpty()) {
        report(u"Enter the reason for the decision."_s);
        return;
    }
    if (newScore) {
        Q_EMIT newScoreRequested(num, event, reason);
        mReason->clear();
        return;
    }
    ScoreInquiries inquiries(mDb);
    if (!inquiries.decideScoreStands(num, event, reason, QDateTime::currentDateTime())) {
        report(u"The decision was not recorded: "_s + inquiries.lastError());
        return;
    }
    mReason->clear();
}

void InquiriesPanel::report(const QString& text) {
    mPrompter.showMessage(text, Prompter::Icon::Warning);
}
