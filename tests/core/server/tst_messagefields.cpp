#include "server/messagefields.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// A station's message read as views of its fields reads as the message split
// at "|": the same fields, an empty field an empty text (stored as ''), a
// missing one a null text (stored as Null).
class TestMessageFields : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsAreTheSplitMessage_data() {
        QTest::addColumn<QString>("message");
        for (const QString& message :
             {u""_s, u"CLIENTBEAT"_s, u"|"_s, u"SENDSCORE|101|"_s, u"||x||"_s,
              u"SENDSCORE|101|1|1|Vault|9.5|||||||10|0|9.5|9.5|9.4|||||||10|0|9.4|0"_s}) {
            QTest::newRow(qPrintable(message.isEmpty() ? u"empty"_s : message)) << message;
        }
    }
    void fieldsAreTheSplitMessage() {
        QFETCH(QString, message);
        const QStringList split = message.split(u'|');
        const MessageFields fields(message);
        QCOMPARE(fields.size(), split.size());
        QCOMPARE(fields.toList(), split);
        for (qsizetype i = 0; i <= split.size(); ++i) {
            QCOMPARE(fields.text(i).isNull(), split.value(i).isNull());
            QCOMPARE(fields.at(i), QStringView(split.value(i)));
        }
    }
};

QTEST_GUILESS_MAIN(TestMessageFields)
#include "tst_messagefields.moc"
