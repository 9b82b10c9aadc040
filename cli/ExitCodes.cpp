// ExitCodes.cpp - what each exit code means.
#include "ExitCodes.h"

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
    case kExitInterrupted:
        return "interrupted";
    default:
        return "unknown";
    }
}

const char kCliExitCodeHelp[] =
    "Exit codes:\n"
    "  0    done\n"
    "  1    bad usage\n"
    "  2    library or function missing\n"
    "  3    no board, board not found, or board locked by another program\n"
    "  4    the library reported a failure (its text is printed)\n"
    "  5    verify mismatch\n"
    "  6    bad or missing input file, or a path the library cannot take\n"
    "  7    a driver exception (its message is printed)\n"
    "  8    refused downgrade\n"
    "  130  interrupted by Ctrl+C or by closing the console; the running board operation\n"
    "       was finished first\n"
    "With --all the program exits with the highest code of any board.\n";
