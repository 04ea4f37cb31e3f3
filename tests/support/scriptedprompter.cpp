#include "scriptedprompter.h"

using namespace Qt::Literals::StringLiterals;

QStringList ScriptedPrompter::texts(const QString& kind) const {
    QStringList texts;
    for (const Shown& s : mShown)
        if (s.kind == kind)
            texts.append(s.text);
    return texts;
}

void ScriptedPrompter::showDetailedMessage(const QString& text, const QString& detail, Icon icon,
                                           std::function<void()> closed) {
    mShown.append({u"message"_s, text, icon, detail});
    if (closed)
        closed();
}

void ScriptedPrompter::askYesNo(const QString& text, std::function<void(bool)> answered) {
    answerQuestion({u"question"_s, text, Icon::None, {}}, answered);
}

void ScriptedPrompter::askYesNoDefaultNo(const QString& text, const QString& detail,
                                         std::function<void(bool)> answered) {
    answerQuestion({u"question"_s, text, Icon::None, detail, true}, answered);
}

void ScriptedPrompter::answerQuestion(const Shown& question,
                                      const std::function<void(bool)>& answered) {
    mShown.append(question);
    const bool yes = !mAnswers.isEmpty() && mAnswers.dequeue();
    if (answered)
        answered(yes);
}

void ScriptedPrompter::answerFileDialog(const QString& kind, const QString& title,
                                        const QString& folderOrProposal,
                                        const std::function<void(const QString&)>& chosen) {
    mShown.append({kind, title, Icon::None, {}});
    lastFolderOrProposal = folderOrProposal;
    const QString path = mFiles.isEmpty() ? QString() : mFiles.dequeue();
    if (chosen)
        chosen(path);
}
