#include "messageboxprompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// open() would make the dialog modal to its parent window only; the operator's
// answer must come before anything else in the program happens.
void showApplicationModal(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}

void openFileDialog(QFileDialog* dialog, std::function<void(const QString&)> chosen) {
    QObject::connect(
        dialog, &QDialog::finished, dialog, [dialog, chosen = std::move(chosen)](int result) {
            const QStringList files = dialog->selectedFiles();
            const QString path =
                result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString();
            if (chosen)
                chosen(path);
        });
    showApplicationModal(dialog);
}

} // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget* fallbackParent)
    : mFallbackParent(fallbackParent) {}

QWidget* MessageBoxPrompter::parentWidget() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mFallbackParent;
}

void MessageBoxPrompter::showMessage(const QString& text, Icon icon, std::function<void()> closed) {
    showDetailedMessage(text, QString(), icon, std::move(closed));
}

void MessageBoxPrompter::showDetailedMessage(const QString& text, const QString& detail, Icon icon,
                                             std::function<void()> closed) {
    auto* box = new QMessageBox(boxIcon(icon), QString::fromLatin1(Title), text, QMessageBox::Ok,
                                parentWidget());
    box->setInformativeText(detail);
    QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)](int) {
        if (closed)
            closed();
    });
    showApplicationModal(box);
}

void MessageBoxPrompter::askYesNo(const QString& text, std::function<void(bool)> answered) {
    ask(text, QString(), true, std::move(answered));
}

void MessageBoxPrompter::askYesNoDefaultNo(const QString& text, const QString& detail,
                                           std::function<void(bool)> answered) {
    ask(text, detail, false, std::move(answered));
}

void MessageBoxPrompter::ask(const QString& text, const QString& detail, bool defaultYes,
                             std::function<void(bool)> answered) {
    auto* box = new QMessageBox(QMessageBox::Question, QString::fromLatin1(Title), text,
                                QMessageBox::Yes | QMessageBox::No, parentWidget());
    box->setInformativeText(detail);
    box->setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    QObject::connect(box, &QDialog::finished, box, [box, answered = std::move(answered)](int) {
        const bool yes = box->clickedButton() == box->button(QMessageBox::Yes);
        if (answered)
            answered(yes);
    });
    showApplicationModal(box);
}

void MessageBoxPrompter::chooseOpenFile(const QString& title, const QString& filter,
                                        const QString& folder,
                                        std::function<void(const QString&)> chosen) {
    auto* dialog = new QFileDialog(parentWidget(), title, folder, filter);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    openFileDialog(dialog, std::move(chosen));
}

void MessageBoxPrompter::chooseSaveFile(const QString& title, const QString& filter,
                                        const QString& proposedPath,
                                        std::function<void(const QString&)> chosen) {
    auto* dialog = new QFileDialog(parentWidget(), title, proposedPath, filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // Whoever asked for the file asks its own question about replacing it.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(proposedPath);
    openFileDialog(dialog, std::move(chosen));
}
