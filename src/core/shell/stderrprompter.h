#pragma once

#include "prompter.h"

// The Prompter of the headless program: messages go to stderr, questions are
// answered No and file dialogs are cancelled, so nothing ever waits for an
// operator who is not there.
class StderrPrompter : public Prompter {
public:
    void showMessage(const QString& text, Icon icon, std::function<void()> closed = {}) override;
    void showDetailedMessage(const QString& text, const QString& detail, Icon icon,
                             std::function<void()> closed = {}) override;
    void askYesNo(const QString& text, std::function<void(bool yes)> answered) override;
    void askYesNoDefaultNo(const QString& text, const QString& detail,
                           std::function<void(bool yes)> answered) override;
    void chooseOpenFile(const QString& title, const QString& filter, const QString& folder,
                        std::function<void(const QString& path)> chosen) override;
    void chooseSaveFile(const QString& title, const QString& filter, const QString& proposedPath,
                        std::function<void(const QString& path)> chosen) override;
};
