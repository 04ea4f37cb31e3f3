#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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

    // The exit status when the command line alone settles the command: 0 after
    // printing `usage` for --help; 2, with the reason on stderr, for an unknown
    // option or a number of paths outside minPaths..maxPaths. None when the
    // command goes on. The first line of `usage` is "Usage: tallvane COMMAND ...".
    std::optional<int> settled(const char* command, const char* usage, qsizetype minPaths,
                               qsizetype maxPaths) const;
};

// Prints "tallvane COMMAND: MESSAGE" on stderr and returns status.
int failFileCommand(const char* command, const QString& message, int status = 1);
