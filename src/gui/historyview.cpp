#include "historyview.h"

#include "console/historytablemodel.h"
#include "db/meetdatabase.h"
#include "historypdf.h"
#include "inquiriespanel.h"
#include "readonlygrid.h"
#include "reportfile.h"
#include "shell/prompter.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

HistoryView::HistoryView(MeetDatabase& db, Prompter& prompter, std::function<QString()> session,
                         QWidget* parent)
    : QWidget(parent)
    , mDb(db)
    , mPrompter(prompter)
    , mSession(std::move(session))
    , mModel(new HistoryTableModel(db, this))
    , mEvent(new QComboBox(this))
    , mNum(new QLineEdit(this))
    , mKind(new QComboBox(this)) {
    mEvent->setObjectName(u"comboHistoryEvent"_s);
    mEvent->addItem(u"All events"_s, QString());
    for (const QString& event : {u"Vault"_s, u"Bars"_s, u"Beam"_s, u"Floor"_s})
        mEvent->addItem(event, event);
    mNum->setObjectName(u"txtHistoryNum"_s);
    mNum->setPlaceholderText(u"every gymnast"_s);
    mKind->setObjectName(u"comboHistoryKind"_s);
    mKind->addItem(u"All kinds"_s, QString());
    for (const QString& kind :
         {ScoreHistoryTable::Score, ScoreHistoryTable::Correction, ScoreHistoryTable::Test,
          ScoreHistoryTable::Secondary, ScoreHistoryTable::Removal, ScoreHistoryTable::Hold,
          ScoreHistoryTable::Release, ScoreHistoryTable::Inquiry, ScoreHistoryTable::Decision})
        mKind->addItem(kind, kind);
    auto* print = new QPushButton(u"Print…"_s, this);
    print->setObjectName(u"cmdPrintHistory"_s);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(u"Event"_s, this));
    filters->addWidget(mEvent);
    filters->addWidget(new QLabel(u"Gymnast"_s, this));
    filters->addWidget(mNum);
    filters->addWidget(new QLabel(u"Kind"_s, this));
    filters->addWidget(mKind);
    filters->addStretch();
    filters->addWidget(print);

    auto* grid = new QTableView(this);
    grid->setObjectName(u"gridHistory"_s);
    grid->setModel(mModel);
    setUpReadOnlyGrid(grid);
    grid->horizontalHeader()->setStretchLastSection(true);
    // Times show whole, to the millisecond.
    grid->setColumnWidth(HistoryTableModel::TimeColumn,
                         grid->fontMetrics().horizontalAdvance(u"8888-88-88 88:88:88.888"_s) + 16);
    mInquiries = new InquiriesPanel(db, prompter, mSession, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(grid, 2);
    layout->addWidget(mInquiries, 1);
    connect(mInquiries, &InquiriesPanel::newScoreRequested, this, &HistoryView::newScoreRequested);

    connect(mEvent, &QComboBox::currentIndexChanged, this, &HistoryView::refresh);
    connect(mKind, &QComboBox::currentIndexChanged, this, &HistoryView::refresh);
    connect(mNum, &QLineEdit::editingFinished, this, &HistoryView::refresh);
    connect(print, &QPushButton::clicked, this, &HistoryView::print);
}

void HistoryView::showGymnast(const QString& num, const QString& event) {
    mNum->setText(num);
    const int index = mEvent->findData(event);
    const QSignalBlocker quiet(mEvent);
    mEvent->setCurrentIndex(index < 0 ? 0 : index);
    mInquiries->showGymnast(num, event);
    refresh();
}

void HistoryView::refresh() {
    ScoreHistoryTable::Filter filter;
    filter.num = mNum->text().trimmed();
    filter.event = mEvent->currentData().toString();
    filter.kind = mKind->currentData().toString();
    filter.session = mSession ? mSession() : QString();
    mInquiries->refresh();
    if (!mModel->show(filter))
        mPrompter.showMessage(u"The score history could not be read: "_s + mModel->error(),
                              Prompter::Icon::Critical);
}

QString HistoryView::title() const {
    const ScoreHistoryTable::Filter& filter = mModel->filter();
    QStringList parts{QFileInfo(mDb.filePath()).completeBaseName(), u"score history"_s};
    if (!filter.session.isEmpty())
        parts.append(u"session "_s + filter.session);
    if (!filter.num.isEmpty())
        parts.append(u"gymnast "_s + filter.num);
    if (!filter.event.isEmpty())
        parts.append(filter.event);
    if (!filter.kind.isEmpty())
        parts.append(filter.kind);
    return parts.join(u' ');
}

void HistoryView::print() {
    const QString name = title() + u".pdf"_s;
    QPointer<HistoryView> self(this);
    mPrompter.chooseSaveFile(
        u"Print PDF"_s, u"PDF Files(*.pdf)"_s, QFileInfo(mDb.filePath()).dir().filePath(name),
        [self](const QString& path) {
            if (!self || path.isEmpty())
                return;
            QString error;
            const QByteArray pdf =
                HistoryPdf::render(self->mDb, self->title(), self->mModel->entries(), &error);
            if (pdf.isEmpty() || !ReportFile::save({{path, pdf}}, &error))
                self->mPrompter.showMessage(u"The history could not be printed: "_s + error,
                                            Prompter::Icon::Critical);
            else
                self->mPrompter.showMessage(
                    u"The history was saved to %1."_s.arg(QDir::toNativeSeparators(path)),
                    Prompter::Icon::Information);
        });
}
