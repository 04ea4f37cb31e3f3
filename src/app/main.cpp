#include "commands.h"

#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

const char* const Usage =
    "Usage:\n"
    "  tallvane [MEETFILE | TRANSFERFILE]           the desktop program; opens MEETFILE, or\n"
    "                                               starts the import of TRANSFERFILE (.rxt)\n"
    "  tallvane serve MEETFILE [--port N] [--pin PIN]\n"
    "                                               the scoring server without windows\n"
    "  tallvane import TRANSFERFILE [MEETFILE] [--force]\n"
    "                                               imports a transfer file into a new meet file\n"
    "  tallvane export MEETFILE TRANSFERFILE [--force]\n"
    "                                               writes the meet to a transfer file\n"
    "  tallvane results MEETFILE [--session N] [--level L] [--pdf FILE] [--csv FILE]\n"
    "                                               the results with places, as PDF or CSV\n"
    "  tallvane --help | --version\n"
    "\n"
    "The data folder is $TALLVANE_DATA_DIR when set, else ~/.local/share/Tallvane.\n";

} // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (std::strcmp(command, "--version") == 0) {
        std::printf("tallvane %s\n", TALLVANE_VERSION);
        return 0;
    }
    if (std::strcmp(command, "serve") == 0)
        return runServeCommand(argc, argv);
    if (std::strcmp(command, "import") == 0)
        return runImportCommand(argc, argv);
    if (std::strcmp(command, "export") == 0)
        return runExportCommand(argc, argv);
    if (std::strcmp(command, "results") == 0)
        return runResultsCommand(argc, argv);
    if (command[0] == '-') {
        std::fprintf(stderr, "tallvane: unknown option %s\n\n%s", command, Usage);
        return 2;
    }
    // A mistyped command must not start the desktop program as if it were a file.
    if (command[0] != '\0' && !QFileInfo(QString::fromLocal8Bit(command)).isFile()) {
        std::fprintf(stderr,
                     "tallvane: %s is neither a command nor a meet file.\n"
                     "The commands are serve, import and export.\n\n%s",
                     command, Usage);
        return 2;
    }
    return runDesktop(argc, argv);
}
