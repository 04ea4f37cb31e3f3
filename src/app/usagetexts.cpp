#include "usagetexts.h"

#include "usagetextsdata.h"

#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace UsageTexts {

const char* overview() {
    return UsageTextsData::Overview;
}

const char* usageOf(const char* command) {
    for (const CommandUsage& usage : UsageTextsData::Commands) {
        if (std::strcmp(usage.command, command) == 0)
            return usage.text;
    }
    return "";
}

QString synopsis(const char* command) {
    return QString::fromUtf8(usageOf(command)).section(u'\n', 0, 0).mid(7);
}

void addOptions(QCommandLineParser& parser, const char* command) {
    for (const Option& option : UsageTextsData::Options) {
        if (std::strcmp(option.command, command) == 0)
            parser.addOption(QCommandLineOption(QString::fromUtf8(option.name),
                                                QString::fromUtf8(option.description),
                                                QString::fromUtf8(option.valueName)));
    }
}

std::optional<int> parse(QCommandLineParser& parser, QStringList arguments, const char* command,
                         const QString& meetFileText) {
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("MEETFILE"), meetFileText);
    addOptions(parser, command);
    arguments.removeAt(1); // the command word
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tallvane %s: %s\n", command, qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(usageOf(command), stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace UsageTexts
