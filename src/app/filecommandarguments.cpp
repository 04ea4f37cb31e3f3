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

int printFileCommandHelp(const char* usage) {
    std::fputs(usage, stdout);
    return 0;
}

int failFileCommand(const char* command, const QString& message, int status) {
    std::fprintf(stderr, "tallvane %s: %s\n", command, qPrintable(message));
    return status;
}
