#include "usagetexts.h"

#include "usagetextsdata.h"

#include <QCommandLineParser>

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

} // namespace UsageTexts
