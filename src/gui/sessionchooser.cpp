#include "sessionchooser.h"

#include "console/sessionsconsole.h"
#include "elidedlabel.h"
#include "shell/currentsession.h"
#include "shell/prompter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

SessionChooser::SessionChooser(SessionsConsole& sessions, CurrentSession& current,
                               Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , mSessions(sessions)
    , mCurrent(current)
    , mPrompter(prompter)
    , mChooser(new QComboBox(this))
    , mSet(new QPushButton(u"Set"_s, this))
    , mCurrentLabel(new ElidedLabel(this)) {
    mChooser->setObjectName(u"combo_sessions"_s);
    // A long description is cut short in the box (whole in its list and
    // tooltip) rather than widening the window.
    mChooser->setMinimumContentsLength(18);
    mChooser->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    mSet->setObjectName(u"cmSetSession"_s);
    mCurrentLabel->setObjectName(u"lblSession"_s);
    QFont bold = mCurrentLabel->font();
    bold.setBold(true);
    mCurrentLabel->setFont(bold);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(u"Current Session:"_s, this), 0, 0);
    layout->addWidget(mCurrentLabel, 0, 1, 1, 2);
    layout->addWidget(mChooser, 1, 0, 1, 2);
    layout->addWidget(mSet, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(&mSessions, &SessionsConsole::sessionsChanged, this, &SessionChooser::refill);
    connect(&mCurrent, &CurrentSession::changed, this,
            [this] { mCurrentLabel->setFullText(mCurrent.description()); });
    connect(mSet, &QPushButton::clicked, this, &SessionChooser::setCurrent);
    connect(mChooser, &QComboBox::currentIndexChanged, this, &SessionChooser::chosenSessionChanged);
    connect(mChooser, &QComboBox::currentTextChanged, mChooser, &QWidget::setToolTip);
    refill();
}

QString SessionChooser::chosenSession() const {
    return mChooser->currentData().toString();
}

void SessionChooser::refill() {
    const QSignalBlocker blocker(mChooser);
    mChooser->clear();
    for (const SessionEntry& entry : mSessions.sessions())
        mChooser->addItem(entry.description, entry.number);
    mChooser->setCurrentIndex(mSessions.chooserIndexOfCurrent());
    mChooser->setToolTip(mChooser->currentText());
    mCurrentLabel->setFullText(mChooser->currentText());
    Q_EMIT chosenSessionChanged();
}

void SessionChooser::setCurrent() {
    if (mChooser->currentIndex() < 0)
        return;
    QString error;
    if (!mSessions.setCurrentSession(chosenSession(), &error))
        mPrompter.showMessage(error, Prompter::Icon::Critical);
}
