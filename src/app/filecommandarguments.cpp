#include "filecommandarguments.h"

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

FileCommandArguments FileCommandArguments::parse(const QStringList& arguments) {
    FileCommandArguments parsed;
    for (const QString& argument : arguments.mid(2)) {
        if (argument == u"--force"_s) {
            parsed.force = true;
        } else if (argument == u"--help"_s || argument == u"-h"_s) {
            parsed.help = true;
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            parsed.unknownOption = argument;
            break;
        } else {
            parsed.paths.append(argument);
        }
    }
    return parsed;
}

std::optional<int> FileCommandArguments::settled(const char* command, const char* usage,
                                                 qsizetype minPaths, qsizetype maxPaths) const {
    if (help) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (!unknownOption.isEmpty())
        return failFileCommand(command, u"unknown option %1"_s.arg(unknownOption), 2);
    if (paths.size() < minPaths || paths.size() > maxPaths) {
        const QString usageLine = QString::fromLatin1(usage).section(u'\n', 0, 0);
        return failFileCommand(command, u"usage: "_s + usageLine.mid(7), 2);
    }
    return std::nullopt;
}

int failFileCommand(const char* command, const QString& message, int status) {
    std::fprintf(stderr, "tallvane %s: %s\n", command, qPrintable(message));
    return status;
}
