#pragma once

#include "shell/prompter.h"

#include <QPointer>
#include <QWidget>

// The desktop program's Prompter: message boxes and file dialogs that are
// application-modal but never block. Each dialog deletes itself when closed
// and hands its answer to the callback. Boxes open over the active window,
// or over the fallback parent when no window is active.
class MessageBoxPrompter : public Prompter {
public:
    static constexpr auto Title = "Tallvane";

    explicit MessageBoxPrompter(QWidget* fallbackParent = nullptr);
    void setFallbackParent(QWidget* parent) { mFallbackParent = parent; }

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

private:
    QWidget* parentWidget() const;
    void ask(const QString& text, const QString& detail, bool defaultYes,
             std::function<void(bool yes)> answered);

    QPointer<QWidget> mFallbackParent;
};
