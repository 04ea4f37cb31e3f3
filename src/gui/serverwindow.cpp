#include "serverwindow.h"

#include "shell/appstate.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

ServerWindow::ServerWindow(AppState& state, Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , mState(state)
    , mPrompter(prompter) {
    setObjectName(u"frmConnections"_s);
    setWindowTitle(u"Tallvane Server"_s);
    mMeetName = new QLabel(this);
    mMeetName->setObjectName(u"lblMeetName"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mMeetName);
    layout->addStretch();
}

ServerWindow::~ServerWindow() = default;

bool ServerWindow::load(QString* error) {
    const DbRows rows = mState.meetDb().select(u"SELECT Name, Num_Judges FROM Meets LIMIT 1"_s);
    if (!rows.ok() || rows.isEmpty()) {
        if (error) {
            *error = rows.ok() ? u"The meet file holds no meet information (the Meets table is "
                                 "empty)."_s
                               : u"The meet information could not be read: "_s + rows.error();
        }
        return false;
    }
    mMeetName->setText(rows.text(0, u"Name"_s));
    mState.setNumJudges(rows.value(0, u"Num_Judges"_s).toInt());
    return true;
}
