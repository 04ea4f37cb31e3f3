#include "entry/panelscore.h"
#include "judging/formatscore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using PanelScore::Attempt;

namespace {

// The cases the judge pad's own tests read too: both implementations must agree.
QJsonObject panelCases() {
    QFile file(TALLVANE_SOURCE_DIR u"/tests/data/panelcases.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QJsonDocument::fromJson(file.readAll()).object();
}

Attempt row(const QJsonValue& value) {
    const QJsonObject boxes = value.toObject();
    Attempt attempt;
    const QJsonArray judges = boxes[u"judges"_s].toArray();
    for (qsizetype i = 0; i < judges.size() && i < PanelScore::MaxJudges; ++i)
        attempt.judges[size_t(i)] = judges[i].toString();
    attempt.adjustment = boxes[u"adjustment"_s].toString();
    attempt.start = boxes[u"start"_s].toString();
    return attempt;
}

PanelScore::Result compute(const QJsonObject& c) {
    return PanelScore::compute(c[u"event"_s].toString(), c[u"judges"_s].toInt(), row(c[u"first"_s]),
                               row(c[u"second"_s]));
}

} // namespace

class TestEntryPanelScore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Typed scores, the final, and the message a manual entry makes: the score a
    // judge station (or a judge pad) would send for the same boxes.
    void panelCasesAgree() {
        for (const QJsonValue& pair : panelCases()[u"formatScore"_s].toArray())
            QCOMPARE(u'"' + pair[0].toString() + u"\" " + formatScore(pair[0].toString()),
                     u'"' + pair[0].toString() + u"\" " + pair[1].toString());
        for (const QJsonValue& value : panelCases()[u"panel"_s].toArray()) {
            const QJsonObject c = value.toObject();
            const PanelScore::Result r = compute(c);
            const QString name = c[u"name"_s].toString();
            QCOMPARE(
                (QStringList{name, r.complete ? u"complete"_s : u"incomplete"_s, r.bScore,
                             r.secondBScore, r.finalText}),
                (QStringList{name, c[u"complete"_s].toBool(true) ? u"complete"_s : u"incomplete"_s,
                             c[u"bScore"_s].toString(), c[u"secondBScore"_s].toString(),
                             c[u"final"_s].toString()}));
        }
        for (const QJsonValue& value : panelCases()[u"messages"_s].toArray()) {
            const QJsonObject c = value.toObject();
            const QString event = c[u"event"_s].toString();
            QVERIFY2(PanelScore::submittedScore(c[u"number"_s].toString(), event,
                                                row(c[u"first"_s]), row(c[u"second"_s]),
                                                compute(c)) ==
                         SubmittedScore::fromFields(c[u"message"_s].toString().split(u'|')),
                     qPrintable(event));
        }
    }

    // Stored values go to stations as their shortest exact text.
    void storedValuesAreShortestText() {
        QCOMPARE(storedValueText(QVariant(0.1 + 0.2)), u"0.30000000000000004"_s);
    }
};

QTEST_GUILESS_MAIN(TestEntryPanelScore)
#include "tst_entry_panelscore.moc"
