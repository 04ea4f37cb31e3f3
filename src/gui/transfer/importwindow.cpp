#include "importwindow.h"

#include "shell/appstate.h"
#include "shell/prompter.h"
#include "shell/selectfile.h"
#include "transfer/importjob.h"
#include "transfer/transferfileinfo.h"
#include "transfer/transferimporter.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString MeetFileExtension = u".tallvane"_s;
} // namespace

ImportWindow::ImportWindow(AppState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , mState(state)
    , mPrompter(prompter)
    , mFilePath(new QLabel(this))
    , mMeetName(new QLineEdit(this))
    , mProgress(new QProgressBar(this))
    , mStart(new QPushButton(u"Start Import"_s, this))
    , mCancel(new QPushButton(u"Cancel"_s, this)) {
    setObjectName(u"frmImport"_s);
    setWindowTitle(u"Import From Rostrel"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    mFilePath->setObjectName(u"lblImportFilePath"_s);
    mMeetName->setObjectName(u"txtMeetName"_s);
    mProgress->setObjectName(u"pbar"_s);
    mStart->setObjectName(u"cmdStart"_s);
    mCancel->setObjectName(u"cmdCancel"_s);
    mProgress->setRange(0, 100);
    mProgress->setValue(0);
    mFilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mFilePath->setMinimumWidth(360);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(u"Import File:"_s, this), 0, 0);
    grid->addWidget(mFilePath, 0, 1);
    grid->addWidget(new QLabel(u"DB file to create:"_s, this), 1, 0);
    grid->addWidget(mMeetName, 1, 1);
    grid->addWidget(mProgress, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mStart);
    buttons->addWidget(mCancel);
    grid->addLayout(buttons, 3, 0, 1, 2);

    setInputEnabled(false);
    connect(mStart, &QPushButton::clicked, this, &ImportWindow::startImport);
    connect(mCancel, &QPushButton::clicked, this, &ImportWindow::finish);
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::begin() {
    mImportCompleted = false;
    mMeetName->clear();
    QPointer<ImportWindow> self(this);
    SelectFile::open(mPrompter, u"Rostrel Transfer Files"_s, u"rxt"_s, mState.dataFolder(),
                     [self](const QString& path) {
                         if (self)
                             self->useFile(path);
                     });
}

void ImportWindow::begin(const QString& transferFile) {
    mImportCompleted = false;
    mMeetName->clear();
    useFile(transferFile);
}

void ImportWindow::useFile(const QString& path) {
    if (path.isEmpty()) {
        close();
        return;
    }
    mImportFilePath = path;
    mFilePath->setText(QDir::toNativeSeparators(path));
    if (TransferFileInfo::readTransferVersion(path) < TransferFileInfo::MinimumVersion) {
        QPointer<ImportWindow> self(this);
        mPrompter.showMessage(QString::fromLatin1(TransferFileInfo::VersionMessage),
                              Prompter::Icon::Critical, [self] {
                                  if (self)
                                      self->close();
                              });
        return;
    }
    mTotalLines = TransferFileInfo::countTransferLines(path);
    mProgress->setRange(0, 100);
    mMeetName->setText(
        TransferFileInfo::meetFileNameFor(TransferFileInfo::readTransferMeetName(path)) +
        MeetFileExtension);
    setInputEnabled(true);
    show();
}

void ImportWindow::setInputEnabled(bool enabled) {
    mStart->setEnabled(enabled);
    mCancel->setEnabled(enabled);
    mMeetName->setEnabled(enabled);
}

void ImportWindow::startImport() {
    setInputEnabled(false);
    QString name = mMeetName->text().trimmed();
    if (!name.endsWith(MeetFileExtension, Qt::CaseInsensitive))
        name += MeetFileExtension;
    // The meet file goes into the data folder: a name is no path.
    if (name == MeetFileExtension || name.contains(u'/') || name.contains(u'\\') ||
        name.startsWith(u'.')) {
        QPointer<ImportWindow> self(this);
        mPrompter.showMessage(u"Please enter a file name for the new meet file, without a "
                              "folder."_s,
                              Prompter::Icon::Warning, [self] {
                                  if (self)
                                      self->setInputEnabled(true);
                              });
        return;
    }
    mMeetFilePath = QDir(mState.dataFolder()).filePath(name);
    if (!QFileInfo::exists(mMeetFilePath)) {
        runImport();
        return;
    }
    QPointer<ImportWindow> self(this);
    mPrompter.askYesNo(u"The data file "_s + name +
                           u" already exists.  Do you want to overwrite the file?"_s,
                       [self](bool yes) {
                           if (!self)
                               return;
                           if (!yes) {
                               self->setInputEnabled(true);
                               return;
                           }
                           QString error;
                           if (!TransferImporter::removeMeetFile(self->mMeetFilePath, &error)) {
                               self->mPrompter.showMessage(error, Prompter::Icon::Critical);
                               self->setInputEnabled(true);
                               return;
                           }
                           self->runImport();
                       });
}

void ImportWindow::runImport() {
    mState.setMeetBaseName(AppState::meetBaseNameOf(mMeetFilePath));
    mProgress->setValue(0);
    mJob = new ImportJob(mImportFilePath, mMeetFilePath, mTotalLines, this);
    connect(mJob, &ImportJob::progress, mProgress, &QProgressBar::setValue);
    connect(mJob, &ImportJob::finished, this, &ImportWindow::importFinished);
    mJob->start();
}

void ImportWindow::importFinished() {
    ImportJob* job = mJob;
    mJob.clear();
    const ImportReport report = job->report();
    job->deleteLater();
    if (!report.ran()) {
        // Nothing was created: the operator may change the name and try again.
        QPointer<ImportWindow> self(this);
        mPrompter.showMessage(report.error, Prompter::Icon::Critical, [self] {
            if (self)
                self->setInputEnabled(true);
        });
        return;
    }
    mImportCompleted = true;
    mProgress->setValue(100);
    mCancel->setText(u"Done"_s);
    mCancel->setEnabled(true);
    if (!report.complete())
        mPrompter.showMessage(report.details(), Prompter::Icon::Warning);
}

void ImportWindow::finish() {
    if (mJob)
        return; // an import cannot be stopped once it has started
    if (mImportCompleted && !mClosing) {
        mClosing = true;
        hide();
        Q_EMIT meetImported(mMeetFilePath);
    }
    mClosing = true;
    close();
}

void ImportWindow::reject() {
    finish();
}

void ImportWindow::closeEvent(QCloseEvent* event) {
    if (mJob) {
        event->ignore();
        return;
    }
    if (mImportCompleted && !mClosing) {
        mClosing = true;
        Q_EMIT meetImported(mMeetFilePath);
    }
    mClosing = true;
    // Not QDialog::closeEvent(): it would call reject(), which closes through here.
    event->accept();
}
