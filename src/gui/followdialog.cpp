#include "followdialog.h"

#include "shell/prompter.h"
#include "web/replicafollower.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

FollowDialog::FollowDialog(const QString& dataFolder, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , mPrompter(prompter) {
    setObjectName(u"frmFollow"_s);
    setWindowTitle(u"Follow Another Tallvane"_s);
    auto* intro = new QLabel(u"This laptop becomes the standby of the Tallvane that serves the "
                             "meet: it keeps a copy of the meet in step and takes over when "
                             "that one stops."_s,
                             this);
    intro->setWordWrap(true);
    mAddress = new QLineEdit(this);
    mAddress->setObjectName(u"txtPrimaryAddress"_s);
    mAddress->setPlaceholderText(u"http://192.168.1.20:10121/"_s);
    mPin = new QLineEdit(this);
    mPin->setObjectName(u"txtOperatorPIN"_s);
    mPin->setEchoMode(QLineEdit::Password);
    mFile = new QLineEdit(QDir(dataFolder).filePath(QString::fromLatin1(CopyFileName)), this);
    mFile->setObjectName(u"txtCopyFile"_s);
    mTakeOverAfter = new QSpinBox(this);
    mTakeOverAfter->setObjectName(u"spnTakeOverAfter"_s);
    mTakeOverAfter->setRange(0, 3600);
    mTakeOverAfter->setSuffix(u" s"_s);
    mTakeOverAfter->setSpecialValueText(u"only when I say so"_s);
    auto* form = new QFormLayout;
    form->addRow(u"Web address of the primary:"_s, mAddress);
    form->addRow(u"Its operator PIN:"_s, mPin);
    form->addRow(u"Keep the copy in:"_s, mFile);
    form->addRow(u"Take over when it is silent for:"_s, mTakeOverAfter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdFollow"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &FollowDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FollowDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

std::optional<FollowRequest> FollowDialog::request(QString* wrong) const {
    FollowRequest request;
    request.primary = QUrl(mAddress->text().trimmed());
    request.operatorPin = mPin->text().trimmed();
    request.meetFile = mFile->text().trimmed();
    request.takeOverAfterSeconds = mTakeOverAfter->value();
    request.replaceAdvice = u"choose another file for the copy"_s;
    if (!ReplicaFollower::streamUrl(request.primary).isValid())
        *wrong = u"%1 is not the address of a Tallvane's web pages (http://HOST:PORT/)."_s.arg(
            mAddress->text());
    else if (request.operatorPin.isEmpty())
        *wrong = u"Give the operator PIN of the Tallvane to follow."_s;
    else if (request.meetFile.isEmpty())
        *wrong = u"Give the file that keeps the copy of the meet."_s;
    else
        return request;
    return std::nullopt;
}

void FollowDialog::accept() {
    QString wrong;
    const std::optional<FollowRequest> asked = request(&wrong);
    if (!asked) {
        mPrompter.showMessage(wrong, Prompter::Icon::Critical);
        return;
    }
    QDialog::accept();
    Q_EMIT followRequested(*asked);
}
