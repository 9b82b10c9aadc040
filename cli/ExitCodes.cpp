// ExitCodes.cpp - what each exit code means.
#include "ExitCodes.h"

namespace
{
int Rank(int nCode)
{
    if (nCode == kExitDone)
        return 0;
    return nCode == kExitInterrupted ? 1 : nCode + 1;
}
} // namespace

int CliWorse(int nA, int nB)
{
    return Rank(nA) >= Rank(nB) ? nA : nB;
}

const char *CliExitMeaning(int nCode)
{
    switch (nCode)
    {
    case kExitDone:
        return "done";
    case kExitUsage:
        return "bad usage";
    case kExitLibraryMissing:
        return "library or function missing";
    case kExitNoBoard:
        return "no board, board not found, or board locked";
    case kExitLibraryFailure:
        return "the library reported a failure";
    case kExitVerifyMismatch:
        return "verify mismatch";
    case kExitBadFile:
        return "bad or missing input file";
    case kExitDriverException:
        return "driver exception";
    case kExitRefusedDowngrade:
        return "refused downgrade";
    case kExitCrash:
        return "crashed";
    case kExitInterrupted:
        return "interrupted";
    default:
        return "unknown";
    }
}

const char kCliExitCodeHelp[] =
    "Exit codes:\n"
    "  0    done\n"
    "  1    bad usage, or --all saving two boards into one file\n"
    "  2    library or function missing\n"
    "  3    no board, board not found, board locked by another program, or --io naming\n"
    "       several boards\n"
    "  4    the library reported a failure (its text is printed)\n"
    "  5    verify mismatch\n"
    "  6    bad or missing input file, or a path the library cannot take\n"
    "  7    a driver exception (its message is printed)\n"
    "  8    refused downgrade\n"
    "  9    the program crashed (a fault, say in the driver library); the line on stderr\n"
    "       names the crash report saved in %LOCALAPPDATA%\\Veltrane\\VTL4410\\crash-reports\n"
    "  130  interrupted by Ctrl+C or by closing the console; the running board operation\n"
    "       was finished first, nothing more was started, and every operation that ran\n"
    "       succeeded (else the worst code of those that ran is given)\n"
    "With --all the program exits with the worst code of any board.\n";
