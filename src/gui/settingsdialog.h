#pragma once

#include <QDialog>

class AppState;
class Prompter;
class QComboBox;
class QLineEdit;

// "Settings" ("frmSettings"): the port the scoring server listens on, the
// station PIN, the port of the web pages, the operator PIN of the operator's pages and the paper
// printed documents are laid out for. OK checks them and saves them; with an invalid value it says
// what is wrong, saves nothing and stays open for the operator to correct it.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(AppState& state, Prompter& prompter, QWidget* parent = nullptr);

private:
    void save();
    bool savePaperSize(QString* error);

    AppState& mState;
    Prompter& mPrompter;
    QLineEdit* mPort = nullptr;
    QLineEdit* mPin = nullptr;
    QLineEdit* mWebPort = nullptr;
    QLineEdit* mOperatorPin = nullptr;
    QComboBox* mPaperSize = nullptr;
};
