#pragma once

#include <QDialog>
#include <QPointer>

class AppState;
class ImportJob;
class Prompter;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// "Import From Rostrel" ("frmImport"): a transfer file into a new meet file in
// the data folder. begin() asks for the file (or is given it); the window shows
// itself once a usable file was chosen. Closing it after a completed import emits
// meetImported() so the main window opens the new meet.
class ImportWindow : public QDialog {
    Q_OBJECT

public:
    ImportWindow(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~ImportWindow() override;

    void begin();
    // As begin(), with the transfer file already chosen (a file opened from
    // the file manager or the command line).
    void begin(const QString& transferFile);
    bool importCompleted() const { return mImportCompleted; }

Q_SIGNALS:
    void meetImported(const QString& meetFilePath);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void useFile(const QString& path);
    void startImport();
    void runImport();
    void importFinished();
    void setInputEnabled(bool enabled);
    void finish();

    AppState& mState;
    Prompter& mPrompter;
    QLabel* mFilePath;
    QLineEdit* mMeetName;
    QProgressBar* mProgress;
    QPushButton* mStart;
    QPushButton* mCancel;
    QString mImportFilePath;
    QString mMeetFilePath;
    qint64 mTotalLines = 0;
    bool mImportCompleted = false;
    bool mClosing = false;
    QPointer<ImportJob> mJob;
};
