#pragma once

#include <QString>

#include <functional>

// Every modal question and message goes through one Prompter: message boxes in
// the desktop program, stderr in headless mode, a scripted fake in tests.
// The calls never block: the answer arrives through the callback once the
// operator has given it (at once for the fake), so no nested event loop runs.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~Prompter() = default;

    // A message with one OK button; `closed` runs when it has been dismissed.
    virtual void showMessage(const QString& text, Icon icon, std::function<void()> closed = {}) = 0;

    // A message whose reason follows on its own line, below the fixed text.
    virtual void showDetailedMessage(const QString& text, const QString& detail, Icon icon,
                                     std::function<void()> closed = {}) = 0;

    // A question with Yes and No; `answered` gets true for Yes.
    virtual void askYesNo(const QString& text, std::function<void(bool yes)> answered) = 0;

    // A question whose Yes stops something that is running (a meet being
    // served): No is the default answer, so Enter keeps it running. `detail`
    // follows on its own line, below the fixed text.
    virtual void askYesNoDefaultNo(const QString& text, const QString& detail,
                                   std::function<void(bool yes)> answered) = 0;

    // The open-file dialog with one filter entry ("Tallvane Files(*.tallvane)" style
    // display text and pattern are given whole in `filter`). `chosen` gets the full
    // path, or the empty text when the dialog was cancelled.
    virtual void chooseOpenFile(const QString& title, const QString& filter, const QString& folder,
                                std::function<void(const QString& path)> chosen) = 0;

    // The save-file dialog, proposing `proposedPath`. It asks nothing about an
    // existing file: the caller asks its own overwrite question.
    virtual void chooseSaveFile(const QString& title, const QString& filter,
                                const QString& proposedPath,
                                std::function<void(const QString& path)> chosen) = 0;
};
