#include "commands.h"

#include "db/meetdatabase.h"
#include "printedresults.h"
#include "reportfile.h"
#include "resultscsv.h"
#include "resultspdf.h"
#include "usagetexts.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString& message, int status = 1) {
    std::fprintf(stderr, "tallvane results: %s\n", qPrintable(message));
    return status;
}

// The PDF to `pdfPath` and the CSV to `csvPath`, each when named; the CSV to
// standard output when neither is. Every document is made before any file is
// written, and the files are replaced together or not at all.
bool writeResults(const PrintedResults& printed, const std::optional<QString>& pdfPath,
                  const std::optional<QString>& csvPath, QString* error) {
    QList<ReportFile::Contents> files;
    if (pdfPath) {
        const QByteArray pdf = ResultsPdf::render(printed, error);
        if (pdf.isEmpty())
            return false;
        files.append({*pdfPath, pdf});
    }
    const QByteArray csv = ResultsCsv::render(printed);
    if (csvPath)
        files.append({*csvPath, csv});
    if (files.isEmpty()) {
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        return true;
    }
    return ReportFile::save(files, error);
}

} // namespace

// tallvane results MEETFILE [--session N] [--level L] [--pdf FILE] [--csv FILE]
int runResultsCommand(int argc, char** argv) {
    // The PDF needs fonts, not a screen: without a display platform chosen,
    // draw off screen so the command also runs where there is none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Read before QGuiApplication takes its own options out of argv ("-session").
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(u"MEETFILE"_s, u"The meet file."_s);
    UsageTexts::addOptions(parser, "results");
    const QString sessionOption = u"session"_s;
    const QString levelOption = u"level"_s;
    const QString pdfOption = u"pdf"_s;
    const QString csvOption = u"csv"_s;
    arguments.removeAt(1); // the command word
    if (!parser.parse(arguments))
        return fail(parser.errorText(), 2);
    if (parser.isSet(u"help"_s)) {
        std::fputs(UsageTexts::usageOf("results"), stdout);
        return 0;
    }
    if (parser.positionalArguments().size() != 1)
        return fail(u"usage: "_s + UsageTexts::synopsis("results"), 2);
    bool whole = false;
    if (parser.isSet(sessionOption) && (parser.value(sessionOption).toLongLong(&whole), !whole))
        return fail(u"%1 is not a session number."_s.arg(parser.value(sessionOption)), 2);

    MeetDatabase db;
    if (!db.open(parser.positionalArguments().constFirst()))
        return fail(db.lastError());
    PrintedResults printed;
    QString error;
    if (!PrintedResults::gather(db, parser.value(sessionOption), parser.value(levelOption), printed,
                                &error))
        return fail(error);

    const auto fileOf = [&parser](const QString& option) {
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    if (!writeResults(printed, fileOf(pdfOption), fileOf(csvOption), &error))
        return fail(error);
    return 0;
}
