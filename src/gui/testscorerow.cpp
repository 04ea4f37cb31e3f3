#include "testscorerow.h"

#include "console/testscore.h"
#include "db/meetevents.h"
#include "scoreboard/queueentry.h"
#include "scoreboard/scorequeue.h"
#include "shell/operatoralerts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TestScoreRow::TestScoreRow(ScoreQueue& queue, OperatorAlerts& alerts, Prompter& prompter,
                           QWidget* parent)
    : QWidget(parent)
    , mQueue(queue)
    , mAlerts(alerts)
    , mPrompter(prompter) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    mEvent = new QComboBox(this);
    mEvent->setObjectName(u"combo_test_events"_s);
    mEvent->addItems(MeetEvents::names());
    mNumber = new QLineEdit(QueueEntry::TestGymnastNumber, this);
    mNumber->setObjectName(u"txtTestGymnastNumber"_s);
    mNumber->setReadOnly(true);
    mNumber->setMaximumWidth(50);
    mName = new QLineEdit(QueueEntry::TestGymnastName, this);
    mName->setObjectName(u"txtTestGymnast"_s);
    mName->setMaximumWidth(220);
    mScore = new QLineEdit(QString::fromLatin1(TestScore::SampleScore), this);
    mScore->setObjectName(u"txtTestScore"_s);
    mScore->setMaximumWidth(70);
    auto* send = new QPushButton(u"Send Test"_s, this);
    send->setObjectName(u"Command1"_s);
    mCorrection = new QCheckBox(u"Send As correction"_s, this);
    mCorrection->setObjectName(u"chkCorrection"_s);
    connect(send, &QPushButton::clicked, this, &TestScoreRow::send);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{mEvent, mNumber, mName, mScore, send, mCorrection})
        row->addWidget(widget);
    row->addStretch();
}

void TestScoreRow::send() {
    ScoreQueue& queue = mQueue;
    OperatorAlerts& alerts = mAlerts;
    TestScore::send(
        mPrompter,
        [&queue, &alerts](const QString& num, const QString& name, const QString& eventName,
                          const QString& score, bool isCorrection) {
            QString error;
            if (!queue.queueScore(num, name, eventName, score, isCorrection, &error))
                alerts.raise(u"The test score could not be queued: "_s + error);
        },
        mNumber->text(), mName->text(), mEvent->currentText(), mScore->text(),
        mCorrection->isChecked());
}
