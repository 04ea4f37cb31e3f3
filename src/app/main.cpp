#include "commands.h"
#include "shell/openfilelimit.h"
#include "usagetexts.h"

#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* word;
    int (*run)(int argc, char** argv);
};

constexpr Command Commands[] = {
    {"serve", runServeCommand},     {"import", runImportCommand},
    {"export", runExportCommand},   {"results", runResultsCommand},
    {"history", runHistoryCommand}, {"startlist", runStartListCommand},
    {"awards", runAwardsCommand},   {"judgesheets", runJudgeSheetsCommand},
    {"publish", runPublishCommand},
};

} // namespace

int main(int argc, char** argv) {
    // Stations, browsers and phones each hold a descriptor while connected.
    OpenFileLimit::raiseToHardLimit();
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(UsageTexts::overview(), stdout);
        return 0;
    }
    if (std::strcmp(command, "--version") == 0) {
        std::printf("tallvane %s\n"
                    "Free software under the GNU General Public License, version 3 or later\n"
                    "(GPL-3.0-or-later). It comes with no warranty.\n",
                    TALLVANE_VERSION);
        return 0;
    }
    for (const Command& known : Commands) {
        if (std::strcmp(command, known.word) == 0)
            return known.run(argc, argv);
    }
    if (command[0] == '-') {
        std::fprintf(stderr, "tallvane: unknown option %s\n\n%s", command, UsageTexts::overview());
        return 2;
    }
    // A mistyped command must not start the desktop program as if it were a file.
    if (command[0] != '\0' && !QFileInfo(QString::fromLocal8Bit(command)).isFile()) {
        std::fprintf(stderr,
                     "tallvane: %s is neither a command nor a meet file.\n"
                     "The commands are serve, import, export, results, history, startlist, awards, "
                     "judgesheets and publish.\n\n%s",
                     command, UsageTexts::overview());
        return 2;
    }
    return runDesktop(argc, argv);
}
