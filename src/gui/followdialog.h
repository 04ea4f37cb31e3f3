#pragma once

#include "web/standbyfollow.h"

#include <QDialog>

class Prompter;
class QLineEdit;
class QSpinBox;

// "Follow Another Tallvane…" ("frmFollow"): the primary's web address, its
// operator PIN, the file that holds the copy here and whether the standby
// takes over by itself. OK with sound answers asks for the standby.
class FollowDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr auto CopyFileName = "standby.tallvane";

    FollowDialog(const QString& dataFolder, Prompter& prompter, QWidget* parent = nullptr);

    // What the fields ask for, or what is wrong with them (`wrong`).
    std::optional<FollowRequest> request(QString* wrong) const;

Q_SIGNALS:
    void followRequested(const FollowRequest& request);

private:
    void accept() override;

    Prompter& mPrompter;
    QLineEdit* mAddress = nullptr;
    QLineEdit* mPin = nullptr;
    QLineEdit* mFile = nullptr;
    QSpinBox* mTakeOverAfter = nullptr;
};
