// ExitCodes.h - the exit codes that both console companions share, for scripts to test.
#pragma once

#include <string>

enum CliExit : int
{
    kExitDone = 0,
    kExitUsage = 1,
    kExitLibraryMissing = 2,
    kExitNoBoard = 3,
    kExitLibraryFailure = 4,
    kExitVerifyMismatch = 5,
    kExitBadFile = 6,
    kExitDriverException = 7,
    kExitRefusedDowngrade = 8,
    kExitCrash = 9, // the program crashed; a report was saved
    kExitInterrupted = 130
};

// The code a script should see of two: any failure over an interruption, an interruption over
// success.
int CliWorse(int nA, int nB);

// Short meaning of a code, for the summary lines of --all.
const char *CliExitMeaning(int nCode);

// The table of codes as --help prints it.
std::string CliExitCodeHelp();
