#include "console/boardstablemodel.h"
#include "serverwindowfixture.h"
#include "teststation.h"
#include "webteststation.h"

using namespace Qt::Literals::StringLiterals;

// The "Boards" tab: the connected boards with a layout box each, a choice
// sent to the board at once, and the QR codes that open a board by itself.
class TestConsoleBoards : public ServerWindowFixture {
    Q_OBJECT

    quint16 webPort() { return quint16(QUrl(child<QLabel>("lblWebAddress")->text()).port()); }
    QComboBox* box(const QString& name) { return mWindow->findChild<QComboBox*>(name); }

private Q_SLOTS:
    void aBoxChangesWhatTheBoardShows() {
        child<QTabWidget>("SSTab1")->setCurrentWidget(child<QWidget>("boardsTab"));
        WebTestStation board(webPort());
        QCOMPARE(board.loginDisplay(u"Door"_s, pin()), u"AUTHRESP|0"_s);
        board.send(u"BOARDLAYOUT|single|Bars||"_s);
        TestStation tcp(port());
        QCOMPARE(tcp.loginDisplay(u"Lobby"_s, pin()), u"AUTHRESP|0"_s);

        QTRY_COMPARE(cell("lstBoards", 0, BoardsTableModel::Showing),
                     u"One score at a time: Bars"_s);
        QCOMPARE(cell("lstBoards", 0, BoardsTableModel::Board), u"Door"_s);
        QCOMPARE(cell("lstBoards", 1, BoardsTableModel::Layout), u"One score at a time (fixed)"_s);
        QVERIFY(!box(u"cboLayout_Lobby"_s));
        QVERIFY(box(u"cboLayout_Door"_s)->isVisible());
        QCOMPARE(box(u"cboEvent_Door"_s)->currentText(), u"Bars"_s);
        QVERIFY(!box(u"cboLevel_Door"_s));

        choose("cboLayout_Door", u"Leaders"_s);
        QCOMPARE(board.next(), u"BOARDLAYOUT|leaders|Bars||"_s);
        // The leaders follow a group, not an event.
        QTRY_VERIFY(!box(u"cboEvent_Door"_s));
        QComboBox* level = box(u"cboLevel_Door"_s);
        QVERIFY(level);
        QVERIFY(level->count() > 1);
        const QString chosen = level->itemData(1).toString();
        choose("cboLevel_Door", level->itemText(1));
        QCOMPARE(board.next(), u"BOARDLAYOUT|leaders|Bars|%1|"_s.arg(chosen));
        QVERIFY(tcp.pending().filter(u"BOARDLAYOUT"_s).isEmpty());
    }

    void theCodesCarryTheNameAndTheStationPin() {
        child<QTabWidget>("SSTab1")->setCurrentWidget(child<QWidget>("boardsTab"));
        child<QLineEdit>("txtBoardName")->setText(u"Door 2"_s);
        auto* four = child<QLabel>("imgBoard_fourCode");
        QVERIFY(four->isVisible());
        QVERIFY(!four->pixmap().isNull());
        const QString pages = child<QLabel>("lblWebAddress")->text();
        QCOMPARE(four->toolTip(), pages + u"display?name=Door%202&layout=four&pin="_s + pin());
        child<QLineEdit>("txtPIN")->setText(u"2468"_s);
        click("cmdSetPIN");
        QVERIFY(four->toolTip().endsWith(u"&pin=2468"_s));
        child<QLineEdit>("txtBoardName")->clear();
        QVERIFY(!four->isVisible());
    }
};

QTEST_MAIN(TestConsoleBoards)
#include "tst_console_boards.moc"
