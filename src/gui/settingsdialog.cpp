#include "settingsdialog.h"

#include "shell/appstate.h"
#include "shell/papersize.h"
#include "shell/prompter.h"
#include "shell/settingscheck.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

SettingsDialog::SettingsDialog(AppState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , mState(state)
    , mPrompter(prompter) {
    setObjectName(u"frmSettings"_s);
    setWindowTitle(u"Settings"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    mPort = new QLineEdit(mState.readPortFile(), this);
    mPort->setObjectName(u"txtPort"_s);
    mPin = new QLineEdit(mState.pin(), this);
    mPin->setObjectName(u"txtPIN"_s);
    mWebPort = new QLineEdit(mState.readWebPortFile(), this);
    mWebPort->setObjectName(u"txtWebPort"_s);
    mOperatorPin = new QLineEdit(mState.operatorPin(), this);
    mOperatorPin->setObjectName(u"txtOperatorPIN"_s);
    mOperatorPin->setToolTip(u"For the operator's pages (the seats' health); never give it to "
                             "the judges."_s);
    mPaperSize = new QComboBox(this);
    mPaperSize->setObjectName(u"comboPaperSize"_s);
    for (const PaperSize::Size size : {PaperSize::Size::Letter, PaperSize::Size::A4})
        mPaperSize->addItem(PaperSize::name(size), int(size));
    mPaperSize->setCurrentIndex(mPaperSize->findData(int(PaperSize::read(mState.dataFolder()))));
    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"OKButton"_s);
    ok->setDefault(true);
    auto* cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"CancelButton"_s);

    auto* form = new QFormLayout;
    form->addRow(new QLabel(u"IP Port Number"_s, this), mPort);
    form->addRow(new QLabel(u"Auth PIN"_s, this), mPin);
    form->addRow(new QLabel(u"Web Port"_s, this), mWebPort);
    form->addRow(new QLabel(u"Operator PIN"_s, this), mOperatorPin);
    form->addRow(new QLabel(u"Paper Size"_s, this), mPaperSize);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &SettingsDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// Written only when changed: until the operator picks one, the paper follows
// the system's locale.
bool SettingsDialog::savePaperSize(QString* error) {
    const auto chosen = PaperSize::Size(mPaperSize->currentData().toInt());
    if (chosen == PaperSize::read(mState.dataFolder()))
        return true;
    QString reason;
    if (PaperSize::write(mState.dataFolder(), chosen, &reason))
        return true;
    *error = u"The paper size could not be saved: "_s + reason;
    return false;
}

void SettingsDialog::save() {
    const QString port = mPort->text();
    const QString pin = mPin->text();
    const QString webPort = mWebPort->text();
    const QString operatorPin = mOperatorPin->text().trimmed();
    QString errors =
        SettingsCheck::errorText(port, pin) + SettingsCheck::webPortError(webPort, port);
    if (!SettingsCheck::isValidOperatorPin(operatorPin))
        errors += QString::fromLatin1(SettingsCheck::OperatorPinMessage);
    // The dialog stays open with what was typed, so the operator corrects it
    // (and the message, shown over the dialog, is not closed with it).
    if (!errors.isEmpty()) {
        mPrompter.showMessage(errors, Prompter::Icon::Critical);
        return;
    }
    QString failure;
    if (!SettingsCheck::apply(mState, port, pin, &failure) ||
        !SettingsCheck::applyWebPort(mState, webPort, &failure) ||
        (operatorPin != mState.operatorPin() &&
         !SettingsCheck::applyOperatorPin(mState, operatorPin, &failure)) ||
        !savePaperSize(&failure)) {
        mPrompter.showMessage(failure, Prompter::Icon::Critical);
        return;
    }
    accept();
}
