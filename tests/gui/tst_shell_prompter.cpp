#include "messageboxprompter.h"
#include "shell/selectfile.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>

#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename T>
T* openDialog(QWidget* parent) {
    T* found = nullptr;
    for (T* dialog : parent->findChildren<T*>()) {
        if (dialog->isVisible())
            found = dialog;
    }
    return found;
}

} // namespace

class TestShellPrompter : public QObject {
    Q_OBJECT

    std::unique_ptr<QMainWindow> mWindow;
    std::unique_ptr<MessageBoxPrompter> mPrompter;

private Q_SLOTS:
    void init() {
        mWindow = std::make_unique<QMainWindow>();
        mWindow->show();
        mPrompter = std::make_unique<MessageBoxPrompter>(mWindow.get());
    }
    void cleanup() {
        mPrompter.reset();
        mWindow.reset();
    }

    void messageIsApplicationModalAndReportsItsClosing() {
        bool closed = false;
        mPrompter->showMessage(u"Something failed."_s, Prompter::Icon::Critical,
                               [&closed] { closed = true; });
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openDialog<QMessageBox>(mWindow.get())) != nullptr);
        QCOMPARE(box->windowTitle(), u"Tallvane"_s);
        QCOMPARE(box->text(), u"Something failed."_s);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QVERIFY(!closed);
        box->button(QMessageBox::Ok)->click();
        QVERIFY(closed);
        QTRY_VERIFY(mWindow->findChildren<QMessageBox*>().isEmpty()); // deleted once closed
    }

    void questionAnswers_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }
    void questionAnswers() {
        QFETCH(int, button);
        QFETCH(bool, yes);
        std::optional<bool> answer;
        mPrompter->askYesNo(u"Sure?"_s, [&answer](bool y) { answer = y; });
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openDialog<QMessageBox>(mWindow.get())) != nullptr);
        QCOMPARE(box->icon(), QMessageBox::Question);
        box->button(QMessageBox::StandardButton(button))->click();
        QCOMPARE(answer, std::optional<bool>(yes));
    }

    void openFileDialogShowsTheFilterAndFolder() {
        std::optional<QString> chosen;
        const QString folder = QDir::tempPath();
        SelectFile::open(*mPrompter, u"Tallvane Files"_s, u"tallvane"_s, folder,
                         [&chosen](const QString& path) { chosen = path; });
        QFileDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = openDialog<QFileDialog>(mWindow.get())) != nullptr);
        QCOMPARE(dialog->windowTitle(), u"Select File"_s);
        QCOMPARE(dialog->nameFilters(), QStringList{u"Tallvane Files(*.tallvane)"_s});
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder).canonicalPath());
        dialog->reject();
        QCOMPARE(chosen, std::optional<QString>(QString()));
    }

    // The export asks its own overwrite question; the dialog must not ask first.
    void saveDialogLeavesTheOverwriteQuestionToTheCaller() {
        mPrompter->chooseSaveFile(u"Export to Rostrel"_s, u"Rostrel Transfer File (*.rxt)"_s,
                                  QDir::temp().filePath(u"meet.rxt"_s), [](const QString&) {});
        QFileDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = openDialog<QFileDialog>(mWindow.get())) != nullptr);
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->reject();
    }
};

QTEST_MAIN(TestShellPrompter)
#include "tst_shell_prompter.moc"
