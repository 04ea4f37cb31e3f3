#include "stderrprompter.h"

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void writeLine(const QString& text) {
    const QByteArray bytes = (u"tallvane: "_s + text + u"\n"_s).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString prefixOf(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Critical:
        return u"error: "_s;
    case Prompter::Icon::Warning:
        return u"warning: "_s;
    case Prompter::Icon::Information:
    case Prompter::Icon::None:
        break;
    }
    return {};
}

} // namespace

void StderrPrompter::showMessage(const QString& text, Icon icon, std::function<void()> closed) {
    // Messages end with CR LF in places; one line per message on a terminal.
    writeLine(prefixOf(icon) + text.trimmed().replace(u"\r\n"_s, u"\n"_s));
    if (closed)
        closed();
}

void StderrPrompter::showDetailedMessage(const QString& text, const QString& detail, Icon icon,
                                         std::function<void()> closed) {
    showMessage(text + u"\n"_s + detail, icon, std::move(closed));
}

void StderrPrompter::askYesNo(const QString& text, std::function<void(bool)> answered) {
    writeLine(text + u" (answered No: nobody at the console)"_s);
    if (answered)
        answered(false);
}

void StderrPrompter::askYesNoDefaultNo(const QString& text, const QString& detail,
                                       std::function<void(bool)> answered) {
    askYesNo(text + u"\n"_s + detail, std::move(answered));
}

void StderrPrompter::chooseOpenFile(const QString& title, const QString&, const QString&,
                                    std::function<void(const QString&)> chosen) {
    writeLine(title + u": cancelled (no file dialogs without windows)"_s);
    if (chosen)
        chosen(QString());
}

void StderrPrompter::chooseSaveFile(const QString& title, const QString&, const QString&,
                                    std::function<void(const QString&)> chosen) {
    writeLine(title + u": cancelled (no file dialogs without windows)"_s);
    if (chosen)
        chosen(QString());
}
