#include "shell/appstate.h"
#include "shell/codepage1252.h"
#include "shell/datafolder.h"
#include "shell/settingsfile.h"
#include "tempmeet.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestShellSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parsesFieldByField_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QByteArray("3917\r\n") << u"3917"_s;
        QTest::newRow("last field wins") << QByteArray("10120,9000\r\n") << u"9000"_s;
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("no line end") << QByteArray("4242") << u"4242"_s;
        QTest::newRow("leading blanks") << QByteArray("   12\r\n") << u"12"_s;
        QTest::newRow("quoted") << QByteArray("\"1, 2\"\r\n") << u"1, 2"_s;
        QTest::newRow("second line") << QByteArray("1\r\n2\r\n") << u"2"_s;
        QTest::newRow("lf only") << QByteArray("77\n") << u"77"_s;
    }
    void parsesFieldByField() {
        QFETCH(QByteArray, content);
        QFETCH(QString, value);
        QCOMPARE(SettingsFile::parse(content), value);
    }

    void writesDefaultsOnceAndKeepsEmptyFiles() {
        TempMeet temp;
        AppState state(temp.folder());
        state.loadSettings();
        QCOMPARE(contents(state.pinFilePath()), QByteArray("3917\r\n"));
        QCOMPARE(contents(state.portFilePath()), QByteArray("10120\r\n"));
        QCOMPARE(state.pin(), u"3917"_s);
        QCOMPARE(state.portNumber(), u"10120"_s);

        writeFile(state.pinFilePath(), QByteArray());
        writeFile(state.portFilePath(), "10120,9000\r\n");
        AppState again(temp.folder());
        again.loadSettings();
        QCOMPARE(again.pin(), QString()); // an existing empty file is not defaulted
        QCOMPARE(contents(again.pinFilePath()), QByteArray());
        QCOMPARE(again.portNumber(), u"9000"_s);

        QVERIFY(again.savePinFile(u"12.5"_s));
        QCOMPARE(contents(again.pinFilePath()), QByteArray("12.5\r\n"));
    }

    void dataFolderFollowsTheEnvironment() {
        TempMeet temp;
        const QString folder = temp.path(u"nested/Tallvane"_s);
        qputenv("TALLVANE_DATA_DIR", folder.toLocal8Bit());
        QCOMPARE(DataFolder::location(), folder);
        QString error;
        QVERIFY(DataFolder::ensure(folder, &error));
        writeFile(temp.path(u"plainfile"_s), "x");
        QVERIFY(!DataFolder::ensure(temp.path(u"plainfile/sub"_s), &error));
        QVERIFY(!error.isEmpty());
        qunsetenv("TALLVANE_DATA_DIR");
    }

    void openAndCloseMeetFile() {
        TempMeet temp;
        const QString file = temp.createSampleMeet(u"spring.classic.tallvane"_s);
        AppState state(temp.folder());
        TempMeet::change(file, u"INSERT INTO Connections(SocketID) VALUES(7)"_s);
        QSignalSpy opened(&state, &AppState::meetOpened);
        QVERIFY(state.openMeetFile(file));
        QCOMPARE(opened.count(), 1);
        QVERIFY(state.isMeetOpen());
        QCOMPARE(state.meetBaseName(), u"spring"_s);
        QCOMPARE(state.meetDb().select(u"SELECT * FROM Connections"_s).count(), 0);

        // One meet file, one Tallvane: a second is refused, naming the holder,
        // and the first one's stations stay logged in.
        QVERIFY(state.meetDb().execute(u"INSERT INTO Connections(SocketID) VALUES(8)"_s));
        AppState second(temp.folder());
        QString refusal;
        QVERIFY(!second.openMeetFile(file, &refusal));
        QVERIFY2(refusal.contains(QString::number(QCoreApplication::applicationPid())) &&
                     refusal.contains(QSysInfo::machineHostName()),
                 qPrintable(refusal));
        QVERIFY(!second.isMeetOpen());
        QCOMPARE(state.meetDb().select(u"SELECT * FROM Connections"_s).count(), 1);

        state.setNumJudges(3);
        state.closeMeetFile();
        QVERIFY(second.openMeetFile(file));
        second.closeMeetFile();
        QVERIFY(!state.isMeetOpen());
        QVERIFY(!state.meetDb().isOpen());
        QCOMPARE(state.numJudges(), 0);

        writeFile(temp.path(u"bogus.tallvane"_s), "not a database at all, just text");
        QString error;
        QVERIFY(!state.openMeetFile(temp.path(u"bogus.tallvane"_s), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!state.isMeetOpen());
        QVERIFY(!state.meetDb().isOpen());
    }

    void codePageKeepsEveryByte() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Cp1252::decode(all);
        QCOMPARE(text[0x80], QChar(0x20AC));
        QCOMPARE(text[0xE9], QChar(0xE9));
        bool lossless = false;
        QCOMPARE(Cp1252::encode(text, &lossless), all);
        QVERIFY(lossless);
        QCOMPARE(Cp1252::encode(u"Zoë €"_s), QByteArray("Zo\xEB \x80"));
        Cp1252::encode(u"日本"_s, &lossless);
        QVERIFY(!lossless);
    }
};

QTEST_GUILESS_MAIN(TestShellSettings)
#include "tst_shellsettings.moc"
