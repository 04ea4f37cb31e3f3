#include "printcommand.h"

#include "db/meetdatabase.h"
#include "printedresults.h"
#include "usagetexts.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace PrintCommand {

std::optional<QString> Request::file(const QString& option) const {
    return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
}

bool addPdfAndCsv(const Request& request, Output& output,
                  const std::function<QByteArray(QString* error)>& pdf, const QByteArray& csv,
                  QString* error) {
    if (const auto pdfPath = request.file(u"pdf"_s)) {
        const QByteArray document = pdf(error);
        if (document.isEmpty())
            return false;
        output.files.append({*pdfPath, document});
    }
    if (const auto csvPath = request.file(u"csv"_s))
        output.files.append({*csvPath, csv});
    output.standardOutput = csv;
    return true;
}

std::function<bool(const Request& request, Output& output, QString* error)>
makesPdfAndCsv(QByteArray (*pdf)(const PrintedResults& printed, QString* error),
               QByteArray (*csv)(const PrintedResults& printed)) {
    return [pdf, csv](const Request& request, Output& output, QString* error) {
        return addPdfAndCsv(
            request, output, [&](QString* pdfError) { return pdf(request.printed, pdfError); },
            csv(request.printed), error);
    };
}

int run(int argc, char** argv, const Command& command) {
    const auto fail = [&command](const QString& message, int status) {
        std::fprintf(stderr, "tallvane %s: %s\n", command.name, qPrintable(message));
        return status;
    };
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
    if (const auto settled =
            UsageTexts::parse(parser, arguments, command.name, u"The meet file."_s))
        return *settled;
    const QString usage = u"usage: "_s + UsageTexts::synopsis(command.name);
    if (parser.positionalArguments().size() != 1)
        return fail(usage, 2);
    for (const QString& option : command.required) {
        if (!parser.isSet(option))
            return fail(u"--%1 is missing.\n"_s.arg(option) + usage, 2);
    }
    const QString session = u"session"_s;
    bool whole = false;
    if (parser.isSet(session) && (parser.value(session).toLongLong(&whole), !whole))
        return fail(u"%1 is not a session number."_s.arg(parser.value(session)), 2);
    if (command.check) {
        int status = 2;
        if (const QString error = command.check(parser, status); !error.isEmpty())
            return fail(error, status);
    }

    MeetDatabase db;
    if (!db.open(parser.positionalArguments().constFirst()))
        return fail(db.lastError(), 1);
    PrintedResults printed;
    QString error;
    const QString level = command.hasLevel ? parser.value(u"level"_s) : QString();
    if (!PrintedResults::gather(db, parser.value(session), level, printed, &error))
        return fail(error, 1);

    // Every document is made before any file is written, and the files are
    // replaced together or not at all.
    Output output;
    if (!command.make({parser, db, printed}, output, &error))
        return fail(error, 1);
    if (output.files.isEmpty()) {
        std::fwrite(output.standardOutput.constData(), 1, size_t(output.standardOutput.size()),
                    stdout);
        return 0;
    }
    if (!ReportFile::save(output.files, &error))
        return fail(error, 1);
    return 0;
}

} // namespace PrintCommand
