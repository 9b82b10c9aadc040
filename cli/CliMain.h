// CliMain.h - start-up and usage handling shared by the two companions.
#pragma once

#include "CliArgs.h"

#include <initializer_list>
#include <string>
#include <vector>

// What a companion tells the shared start-up.
struct CliProgram
{
    const char *pszName;            // "torvane-cli"
    const char *pszHelp;            // --help text, before the table of exit codes
    std::vector<CliOption> options; // its own options; the board choice and --help come with all
    int (*pfnRun)(const CCliArgs &args);
    bool bCommandless = false; // options only: no command word, and none is asked for
};

// Runs the program: handler for Ctrl+C and console close, --help and --version, parsing, the
// command; gives the exit code.
int CliMain(int argc, wchar_t **argv, const CliProgram &program);

// "torvane-cli" or "ostrel-cli", once CliMain runs.
const char *CliProgramName();

// Prints "name: reason (see name --help)" and gives the usage code.
int CliUsageError(const std::string &strReason);

// A usage error unless the command got exactly nOperands operands and no option outside allowed.
bool CheckCommandUse(const CCliArgs &args, size_t nOperands,
                     std::initializer_list<const wchar_t *> allowed, std::string &strError);
