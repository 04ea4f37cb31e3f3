#include "messageboxprompter.h"
#include "shell/selectfile.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The real boxes and file dialogs, answered by clicking them.
class TestShellPrompter : public QObject {
    Q_OBJECT

    QMainWindow mWindow;
    MessageBoxPrompter mPrompter{&mWindow};

    // The dialog of that type the prompter opened, once it is shown.
    template <typename T>
    T* opened() {
        T* found = nullptr;
        (void)QTest::qWaitFor([&] {
            for (T* dialog : mWindow.findChildren<T*>())
                found = dialog->isVisible() ? dialog : found;
            return found != nullptr;
        });
        return found;
    }

private Q_SLOTS:
    void initTestCase() { mWindow.show(); }

    void boxesAreApplicationModalAndReportTheirAnswer() {
        bool closed = false;
        mPrompter.showMessage(u"Something failed."_s, Prompter::Icon::Critical,
                              [&closed] { closed = true; });
        QMessageBox* box = opened<QMessageBox>();
        QVERIFY(box);
        QCOMPARE((QStringList{box->windowTitle(), box->text()}),
                 QStringList({u"Tallvane"_s, u"Something failed."_s}));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QVERIFY(!closed);
        box->button(QMessageBox::Ok)->click();
        QVERIFY(closed);
        QTRY_VERIFY(mWindow.findChildren<QMessageBox*>().isEmpty()); // deleted once closed

        for (const auto button : {QMessageBox::Yes, QMessageBox::No}) {
            std::optional<bool> answer;
            mPrompter.askYesNo(u"Sure?"_s, [&answer](bool yes) { answer = yes; });
            QVERIFY((box = opened<QMessageBox>()));
            QCOMPARE(box->icon(), QMessageBox::Question);
            box->button(button)->click();
            QCOMPARE(answer, std::optional<bool>(button == QMessageBox::Yes));
            QTRY_VERIFY(mWindow.findChildren<QMessageBox*>().isEmpty());
        }
    }

    // Enter answers Yes to an ordinary question, No to one that would stop a
    // running meet; the latter's detail shows below its text.
    void questionsThatStopAMeetDefaultToNo() {
        mPrompter.askYesNo(u"Replace it?"_s, [](bool) {});
        QMessageBox* box = opened<QMessageBox>();
        QVERIFY(box);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
        box->button(QMessageBox::No)->click();
        QTRY_VERIFY(mWindow.findChildren<QMessageBox*>().isEmpty());

        std::optional<bool> answer;
        mPrompter.askYesNoDefaultNo(u"Close?"_s, u"2 stations are connected."_s,
                                    [&answer](bool yes) { answer = yes; });
        QVERIFY((box = opened<QMessageBox>()));
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QCOMPARE(box->informativeText(), u"2 stations are connected."_s);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(answer, std::optional<bool>(false));
        QTRY_VERIFY(mWindow.findChildren<QMessageBox*>().isEmpty());
    }

    // The export asks its own overwrite question; the save dialog must not ask first.
    void fileDialogsShowFilterAndFolderAndLeaveOverwritingToTheCaller() {
        std::optional<QString> chosen;
        const QString folder = QDir::tempPath();
        SelectFile::open(mPrompter, u"Tallvane Files"_s, u"tallvane"_s, folder,
                         [&chosen](const QString& path) { chosen = path; });
        QFileDialog* dialog = opened<QFileDialog>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"Select File"_s);
        QCOMPARE(dialog->nameFilters(), QStringList{u"Tallvane Files(*.tallvane)"_s});
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder).canonicalPath());
        dialog->reject();
        QCOMPARE(chosen, std::optional<QString>(QString()));

        mPrompter.chooseSaveFile(u"Export to Rostrel"_s, u"Rostrel Transfer File (*.rxt)"_s,
                                 QDir::temp().filePath(u"meet.rxt"_s), [](const QString&) {});
        QVERIFY((dialog = opened<QFileDialog>()));
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->reject();
    }
};

QTEST_MAIN(TestShellPrompter)
#include "tst_shell_prompter.moc"
