#pragma once

#include "shell/prompter.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Answers modal questions from a script and records everything it was shown.
// Callbacks run at once, as if the operator answered instantly.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString kind; // "message", "question", "open", "save"
        QString text; // a file dialog's title
        Icon icon = Icon::None;
        QString detail;         // the line below a detailed message or question
        bool defaultNo = false; // a question that Enter answers No
    };

    // Answers for the next questions, in order; an unscripted question gets No.
    void answerYes() { mAnswers.enqueue(true); }
    void answerNo() { mAnswers.enqueue(false); }
    // Paths for the next file dialogs, in order; "" cancels; unscripted ones cancel.
    void chooseFile(const QString& path) { mFiles.enqueue(path); }

    const QList<Shown>& shown() const { return mShown; }
    QStringList messages() const { return texts(QStringLiteral("message")); } // in order
    QStringList questions() const { return texts(QStringLiteral("question")); }
    QString lastMessage() const { return messages().value(messages().size() - 1); }
    void clear() { mShown.clear(); }

    void showMessage(const QString& text, Icon icon, std::function<void()> closed = {}) override {
        showDetailedMessage(text, {}, icon, std::move(closed));
    }
    void showDetailedMessage(const QString& text, const QString& detail, Icon icon,
                             std::function<void()> closed = {}) override;
    void askYesNo(const QString& text, std::function<void(bool)> answered) override;
    void askYesNoDefaultNo(const QString& text, const QString& detail,
                           std::function<void(bool)> answered) override;
    void chooseOpenFile(const QString& title, const QString&, const QString& folder,
                        std::function<void(const QString&)> chosen) override {
        answerFileDialog(QStringLiteral("open"), title, folder, chosen);
    }
    void chooseSaveFile(const QString& title, const QString&, const QString& proposedPath,
                        std::function<void(const QString&)> chosen) override {
        answerFileDialog(QStringLiteral("save"), title, proposedPath, chosen);
    }

    // The folder or proposed path the last file dialog was opened with.
    QString lastFolderOrProposal;

private:
    QStringList texts(const QString& kind) const;
    void answerQuestion(const Shown& question, const std::function<void(bool)>& answered);
    void answerFileDialog(const QString& kind, const QString& title,
                          const QString& folderOrProposal,
                          const std::function<void(const QString&)>& chosen);

    QList<Shown> mShown;
    QQueue<bool> mAnswers;
    QQueue<QString> mFiles;
};
