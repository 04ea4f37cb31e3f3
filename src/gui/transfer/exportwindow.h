#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

class AppState;
class ExportJob;
class Prompter;
class QLabel;
class QProgressBar;

// "Export to Rostrel" ("frmExport"): the open meet, scores included, into a
// transfer file. begin() asks for the target; the window shows itself and the
// export starts half a second later, on a worker thread, while the scoring
// server goes on. "Export complete!" appears only when the file is written whole.
class ExportWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr auto CompleteMessage = "Export complete!";

    ExportWindow(AppState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~ExportWindow() override;

    void begin();
    // Tests shorten the pause before the export starts.
    void setStartDelay(int milliseconds) { mTimer.setInterval(milliseconds); }
    QString exportFilePath() const { return mExportFilePath; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void chooseFile();
    void useFile(QString path);
    void prepare(const QString& path);
    void startExport();
    void exportFinished(bool ok);

    AppState& mState;
    Prompter& mPrompter;
    QLabel* mLabel;
    QProgressBar* mTables;
    QProgressBar* mRows;
    QTimer mTimer;
    QString mExportFilePath;
    QPointer<ExportJob> mJob;
};
