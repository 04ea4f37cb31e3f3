#pragma once

#include "reportfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class MeetDatabase;
class QCommandLineParser;
struct PrintedResults;

// What the commands that print a meet's paperwork (results, start lists,
// awards, judge sheets) share: the options, the meet file, the sessions
// gathered, and the files written together or not at all. Wrong arguments
// end with status 2, what cannot be done (an unknown session, a folder that
// cannot be written) with 1, and nothing is left half written.
namespace PrintCommand {

struct Request {
    const QCommandLineParser& parser;
    MeetDatabase& db;
    const PrintedResults& printed;
    // The file an option names, when given.
    std::optional<QString> file(const QString& option) const;
};

struct Output {
    QList<ReportFile::Contents> files;
    QByteArray standardOutput; // written when no file is
};

struct Command {
    const char* name;
    // The options that must be given ("session", "pdf" ...).
    QStringList required;
    // Checks the options once parsed: an error text ends the command with
    // `status`; empty when they pass.
    std::function<QString(const QCommandLineParser& parser, int& status)> check;
    // Makes the documents; false with the reason when it cannot.
    std::function<bool(const Request& request, Output& output, QString* error)> make;
    // Gathers the results of one level only when the command has a --level.
    bool hasLevel = false;
};

// The documents most commands make: the PDF, made only when --pdf names its
// file, and the CSV, written to --csv or else to standard output. False with
// the reason when the PDF cannot be made.
bool addPdfAndCsv(const Request& request, Output& output,
                  const std::function<QByteArray(QString* error)>& pdf, const QByteArray& csv,
                  QString* error);

// The `make` of a command whose documents are that pair, each made from the
// results gathered alone.
std::function<bool(const Request& request, Output& output, QString* error)>
    makesPdfAndCsv(QByteArray (*pdf)(const PrintedResults& printed, QString* error),
                   QByteArray (*csv)(const PrintedResults& printed));

int run(int argc, char** argv, const Command& command);

} // namespace PrintCommand
