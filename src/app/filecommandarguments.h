#pragma once

#include <QString>
#include <QStringList>

// The words after `import` or `export`: the file paths in order and the
// --force switch. Any other word starting with "-" (a lone "-" is a path) is
// an option the command does not know; parsing stops at the first one.
struct FileCommandArguments {
    QStringList paths;
    bool force = false;
    bool help = false;     // --help or -h
    QString unknownOption; // empty when every option was known

    // Reads the command's arguments: argument 0 is the program, 1 the command word.
    static FileCommandArguments parse(const QStringList& arguments);
};

// Prints the command's usage on stdout and returns 0.
int printFileCommandHelp(const char* usage);

// Prints "tallvane COMMAND: MESSAGE" on stderr and returns status.
int failFileCommand(const char* command, const QString& message, int status = 1);
