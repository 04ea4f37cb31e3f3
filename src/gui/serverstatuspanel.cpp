#include "serverstatuspanel.h"

#include "server/scoringserver.h"
#include "shell/appstate.h"
#include "shell/prompter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

ServerStatusPanel::ServerStatusPanel(ScoringServer& server, AppState& state, Prompter& prompter,
                                     QWidget* parent)
    : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto label = [this](const QString& name) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        return label;
    };
    QLabel* status = label(u"lblStatus"_s);
    QLabel* address = label(u"lblIPAddress"_s);
    QLabel* port = label(u"lblPortNumber"_s);
    auto showStatus = [&server, status, address, port] {
        status->setText(server.status());
        address->setText(server.address());
        port->setText(server.port() > 0 ? QString::number(server.port()) : QString());
    };
    showStatus();
    connect(&server, &ScoringServer::statusChanged, this, showStatus);

    auto* pin = new QLineEdit(state.pin(), this);
    pin->setObjectName(u"txtPIN"_s);
    pin->setEchoMode(QLineEdit::Password);
    pin->setStyleSheet(u"QLineEdit { lineedit-password-character: 42; }"_s);
    pin->setMinimumWidth(60);
    pin->setMaximumWidth(80);
    auto* setPin = new QPushButton(u"Set"_s, this);
    setPin->setObjectName(u"cmdSetPIN"_s);
    auto* showPin = new QPushButton(u"Show PIN"_s, this);
    showPin->setObjectName(u"cmdShowPIN"_s);
    connect(setPin, &QPushButton::clicked, this, [&server, &prompter, pin] {
        QString error;
        if (!server.setPin(pin->text(), &error))
            prompter.showMessage(error, Prompter::Icon::Critical);
    });
    connect(showPin, &QPushButton::clicked, this,
            [&prompter, pin] { ScoringServer::showPin(prompter, pin->text()); });

    grid->addWidget(new QLabel(u"Status:"_s, this), 0, 0);
    grid->addWidget(status, 0, 1, 1, 3);
    grid->addWidget(new QLabel(u"IP:"_s, this), 1, 0);
    grid->addWidget(address, 1, 1, 1, 3);
    grid->addWidget(new QLabel(u"Port:"_s, this), 2, 0);
    grid->addWidget(port, 2, 1, 1, 3);
    grid->addWidget(new QLabel(u"PIN:"_s, this), 3, 0);
    grid->addWidget(pin, 3, 1);
    grid->addWidget(setPin, 3, 2);
    grid->addWidget(showPin, 3, 3);
}
