#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

// The --help texts of `tallvane` and the options of its commands. They are
// made at build time from the manual's command-line page, so the program
// says what the manual says: a command's options are the ones the page gives
// it, and an option the page does not describe is not accepted.
namespace UsageTexts {

// A command's `--help` text, whose first line is "Usage: tallvane COMMAND ...".
struct CommandUsage {
    const char* command;
    const char* text;
};

// An option of a command, as the page describes it (valueName is empty for a switch).
struct Option {
    const char* command;
    const char* name;
    const char* valueName;
    const char* description;
};

// `tallvane --help`: every command, option and environment variable.
const char* overview();
// `tallvane COMMAND --help`; empty for a command the page does not describe.
const char* usageOf(const char* command);
// The synopsis of `command`: "tallvane COMMAND ..." as the usage's first line gives it.
QString synopsis(const char* command);
// Adds the options of `command` to `parser`.
void addOptions(QCommandLineParser& parser, const char* command);

// Reads the words of `command` (argument 0 is the program, 1 the command word)
// into `parser`, with --help, the options of `command` and one positional
// MEETFILE described by `meetFileText`. The exit status when the words alone
// settle the command: 0 after printing the usage for --help, 2 after saying
// what is wrong on stderr ("tallvane COMMAND: ..."); none when it goes on.
std::optional<int> parse(QCommandLineParser& parser, QStringList arguments, const char* command,
                         const QString& meetFileText);

} // namespace UsageTexts
