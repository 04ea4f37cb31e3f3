#pragma once

// The commands of the `tallvane` executable; each returns the exit status.
// argv[0] is the program, argv[1] the command word (absent for the desktop program).
int runDesktop(int argc, char** argv);
int runServeCommand(int argc, char** argv);
int runImportCommand(int argc, char** argv);
int runExportCommand(int argc, char** argv);
int runResultsCommand(int argc, char** argv);
int runHistoryCommand(int argc, char** argv);
int runStartListCommand(int argc, char** argv);
int runAwardsCommand(int argc, char** argv);
int runJudgeSheetsCommand(int argc, char** argv);
int runPublishCommand(int argc, char** argv);
