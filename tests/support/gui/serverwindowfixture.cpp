#include "serverwindowfixture.h"

using namespace Qt::Literals::StringLiterals;

void ServerWindowFixture::init() {
    mDesk = std::make_unique<OperatorDesk>();
    const QString meet = mDesk->temp.createSampleMeet();
    mDesk->loadSettings(OperatorDesk::Port::AnyFree);
    QVERIFY(mDesk->state.openMeetFile(meet));
    mWindow = std::make_unique<ServerWindow>(mDesk->state, mDesk->prompter);
    QVERIFY(mWindow->load().ok());
    mWindow->resize(1300, 800);
    mWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
}

void ServerWindowFixture::cleanup() {
    mWindow.reset();
    if (mDesk)
        mDesk->state.closeMeetFile();
    mDesk.reset();
}

void ServerWindowFixture::click(const char* button) {
    QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
}

void ServerWindowFixture::clickItem(QListWidget* list, int row) {
    list->setCurrentRow(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

void ServerWindowFixture::choose(const char* combo, const QString& text) {
    auto* box = child<QComboBox>(combo);
    box->setCurrentIndex(box->findText(text));
    Q_EMIT box->activated(box->currentIndex());
}

QString ServerWindowFixture::cell(const char* grid, int row, int column) {
    return child<QTableView>(grid)->model()->index(row, column).data().toString();
}
