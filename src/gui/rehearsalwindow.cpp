#include "rehearsalwindow.h"

#include "console/rehearsal.h"
#include "readonlygrid.h"
#include "rehearsalpdf.h"
#include "reportfile.h"
#include "shell/prompter.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

RehearsalWindow::RehearsalWindow(Rehearsal& rehearsal, Prompter& prompter, QString meetName,
                                 QString folder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , mRehearsal(rehearsal)
    , mPrompter(prompter)
    , mMeetName(std::move(meetName))
    , mFolder(std::move(folder)) {
    setObjectName(u"frmRehearsal"_s);
    setWindowTitle(u"Rehearsal"_s);
    auto* hint = new QLabel(
        u"Every browser pad shows \"Rehearsal: tap OK\" until its judge taps it, every browser "
        "board shows its name for %1 s, every TCP station answers a heartbeat, and judge 1's "
        "pad sends the test score to its event's boards."_s.arg(Rehearsal::BoardSeconds),
        this);
    hint->setWordWrap(true);
    mStatus = new QLabel(this);
    mStatus->setObjectName(u"lblRehearsalStatus"_s);
    QFont bold = mStatus->font();
    bold.setBold(true);
    mStatus->setFont(bold);
    mTable = new QTableWidget(0, 4, this);
    mTable->setObjectName(u"tblRehearsal"_s);
    setUpReadOnlyGrid(mTable);
    mTable->setHorizontalHeaderLabels({u"Seat"_s, u"Device"_s, u"Checked by"_s, u"Result"_s});
    mTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    mTable->horizontalHeader()->setStretchLastSection(true);
    mStart = new QPushButton(u"Start"_s, this);
    mStart->setObjectName(u"cmdStartRehearsal"_s);
    mSave = new QPushButton(u"Save PDF…"_s, this);
    mSave->setObjectName(u"cmdSaveRehearsal"_s);
    auto* close = new QPushButton(u"Close"_s, this);
    connect(mStart, &QPushButton::clicked, this, &RehearsalWindow::start);
    connect(mSave, &QPushButton::clicked, this, &RehearsalWindow::savePdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(&rehearsal, &Rehearsal::changed, this, &RehearsalWindow::refresh);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mStart);
    buttons->addWidget(mSave);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(mStatus);
    layout->addWidget(mTable, 1);
    layout->addLayout(buttons);
    resize(640, 560);
    refresh();
}

void RehearsalWindow::refresh() {
    mStatus->setText(mRehearsal.statusText());
    mStart->setEnabled(!mRehearsal.isRunning());
    mSave->setEnabled(mRehearsal.number() > 0 && !mRehearsal.isRunning());
    const QList<Rehearsal::Line> lines = mRehearsal.lines();
    mTable->setRowCount(int(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const Rehearsal::Line& line = lines[row];
        const QString device =
            line.address.isEmpty() ? QString() : u"%1 (%2)"_s.arg(line.address, line.transport);
        const QStringList cells{line.seat, device, line.checkText(), line.resultText()};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 3 && line.result == Rehearsal::Result::NoAnswer) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            mTable->setItem(row, column, item);
        }
    }
}

void RehearsalWindow::start() {
    QString refusal;
    if (!mRehearsal.start(&refusal))
        mPrompter.showMessage(refusal, Prompter::Icon::Information);
}

void RehearsalWindow::savePdf() {
    const QString name =
        u"Rehearsal %1.pdf"_s.arg(mRehearsal.startedAt().toString(u"yyyy-MM-dd HH-mm"_s));
    QPointer<RehearsalWindow> self(this);
    mPrompter.chooseSaveFile(u"Save PDF"_s, u"PDF Files(*.pdf)"_s, QDir(mFolder).filePath(name),
                             [self](const QString& path) {
                                 if (self && !path.isEmpty())
                                     self->write(path);
                             });
}

void RehearsalWindow::write(const QString& path) {
    QString error;
    const QByteArray pdf =
        RehearsalPdf::render(mMeetName, mRehearsal, PaperSize::current(), &error);
    if (!pdf.isEmpty() && ReportFile::save({{path, pdf}}, &error))
        mPrompter.showMessage(u"Saved the rehearsal to %1."_s.arg(QDir::toNativeSeparators(path)),
                              Prompter::Icon::Information);
    else
        mPrompter.showMessage(u"Could not save the rehearsal: "_s + error,
                              Prompter::Icon::Critical);
}
