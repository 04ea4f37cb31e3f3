#include "exportwindow.h"

#include "db/meetschema.h"
#include "shell/appstate.h"
#include "shell/prompter.h"
#include "transfer/exportjob.h"
#include "transfer/transferexport.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

ExportWindow::ExportWindow(AppState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , mState(state)
    , mPrompter(prompter)
    , mLabel(new QLabel(u"Exporting to: "_s, this))
    , mTables(new QProgressBar(this))
    , mRows(new QProgressBar(this)) {
    setObjectName(u"frmExport"_s);
    setWindowTitle(u"Export to Rostrel"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    mLabel->setObjectName(u"lblExportFilePath"_s);
    mLabel->setMinimumWidth(360);
    mTables->setObjectName(u"pbar"_s);
    mRows->setObjectName(u"pbar2"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mLabel);
    layout->addWidget(mTables);
    layout->addWidget(mRows);

    mTimer.setObjectName(u"Timer1"_s);
    mTimer.setSingleShot(true);
    mTimer.setInterval(500);
    connect(&mTimer, &QTimer::timeout, this, &ExportWindow::startExport);
}

ExportWindow::~ExportWindow() = default;

void ExportWindow::begin() {
    if (!mState.isMeetOpen()) {
        close();
        return;
    }
    chooseFile();
}

void ExportWindow::chooseFile() {
    const QString proposal = QDir(mState.dataFolder()).filePath(mState.meetBaseName() + u".rxt"_s);
    QPointer<ExportWindow> self(this);
    mPrompter.chooseSaveFile(u"Export to Rostrel"_s, u"Rostrel Transfer File (*.rxt)"_s, proposal,
                             [self](const QString& path) {
                                 if (self)
                                     self->useFile(path);
                             });
}

void ExportWindow::useFile(QString path) {
    if (path.isEmpty()) {
        close();
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += u".rxt"_s;
    QPointer<ExportWindow> self(this);
    if (const QString refusal = TransferExport::targetRefusal(path); !refusal.isEmpty()) {
        mPrompter.showMessage(refusal, Prompter::Icon::Critical, [self] {
            if (self)
                self->chooseFile();
        });
        return;
    }
    if (!QFileInfo::exists(path)) {
        prepare(path);
        return;
    }
    // An existing file is replaced only once the new one is complete.
    mPrompter.askYesNo(u"The file "_s + QFileInfo(path).fileName() +
                           u" already exists.  Do you wish to overwrite this file?"_s,
                       [self, path](bool yes) {
                           if (!self)
                               return;
                           if (yes)
                               self->prepare(path);
                           else
                               self->chooseFile();
                       });
}

void ExportWindow::prepare(const QString& path) {
    mExportFilePath = path;
    mTables->setRange(0, 100);
    mTables->setValue(0);
    mRows->setRange(0, 100);
    mRows->setValue(0);
    mLabel->clear();
    show();
    mTimer.start();
}

void ExportWindow::startExport() {
    mTables->setRange(0, int(MeetSchema::meetDataTables().size()));
    mTables->setValue(0);
    mJob = new ExportJob(mState.meetFilePath(), mExportFilePath, this);
    connect(mJob, &ExportJob::tableStarted, this, [this](int number, const QString& table) {
        mLabel->setText(u"Exporting "_s + table + u"..."_s);
        mTables->setValue(number - 1);
        mRows->setValue(0);
    });
    connect(mJob, &ExportJob::rowProgress, mRows, &QProgressBar::setValue);
    connect(mJob, &ExportJob::finished, this, &ExportWindow::exportFinished);
    mJob->start();
}

void ExportWindow::exportFinished(bool ok) {
    const TransferExport::Result result = mJob->result();
    mJob->deleteLater();
    mJob.clear();
    QPointer<ExportWindow> self(this);
    auto closeWindow = [self] {
        if (self)
            self->close();
    };
    if (!ok) {
        mPrompter.showMessage(u"The export to %1 failed; no file was written.\n\n%2"_s.arg(
                                  QDir::toNativeSeparators(mExportFilePath), result.error),
                              Prompter::Icon::Critical, closeWindow);
        return;
    }
    mTables->setValue(mTables->maximum());
    auto complete = [self, closeWindow] {
        if (self)
            self->mPrompter.showMessage(QString::fromLatin1(CompleteMessage),
                                        Prompter::Icon::Information, closeWindow);
    };
    if (result.lossyFields.isEmpty()) {
        complete();
        return;
    }
    mPrompter.showMessage(u"These fields hold characters that a Rostrel transfer file cannot "
                          "hold; they were written as \"?\":\n\n"_s +
                              result.lossyFields.join(u"\n"_s),
                          Prompter::Icon::Warning, complete);
}

void ExportWindow::reject() {
    close();
}

void ExportWindow::closeEvent(QCloseEvent* event) {
    if (mJob || mTimer.isActive()) {
        event->ignore(); // an export cannot be stopped once it has been set going
        return;
    }
    // Not QDialog::closeEvent(): it would call reject(), which closes through here.
    event->accept();
}
