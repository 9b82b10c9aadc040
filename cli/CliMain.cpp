// CliMain.cpp - the shared start of both companions.
#include "CliMain.h"

#include "CliBreak.h"
#include "CliOutput.h"
#include "CliText.h"
#include "CliVersion.h"
#include "ExitCodes.h"
#include "VtlCrashReport.h"

#include <windows.h>

#include <iterator>

namespace
{
const char *g_pszProgram = "";

bool IsOneOf(const wchar_t *pszArg, std::initializer_list<const wchar_t *> names)
{
    for (const wchar_t *pszName : names)
    {
        if (wcscmp(pszArg, pszName) == 0)
            return true;
    }
    return false;
}

int PrintHelp(const CliProgram &program)
{
    CliOutput().Out(std::string(program.pszHelp) + "\n" + CliExitCodeHelp());
    return kExitDone;
}
} // namespace

const char *CliProgramName()
{
    return g_pszProgram;
}

int CliUsageError(const std::string &strReason)
{
    CliOutput().Err(std::string(g_pszProgram) + ": " + strReason + " (see " + g_pszProgram +
                    " --help)");
    return kExitUsage;
}

bool CheckCommandUse(const CCliArgs &args, size_t nOperands,
                     std::initializer_list<const wchar_t *> allowed, std::string &strError)
{
    const std::string strCommand = CliAnsi(args.Command());
    if (args.Operands().size() < nOperands)
    {
        strError = strCommand + " needs a file name";
        return false;
    }
    if (args.Operands().size() > nOperands)
    {
        strError = CliFormat(CliText::kUnexpectedOperand,
                             CliAnsi(args.Operands()[nOperands]).c_str(), strCommand.c_str());
        return false;
    }
    for (const auto &option : args.Options())
    {
        bool bAllowed = false;
        for (const wchar_t *pszAllowed : allowed)
            bAllowed = bAllowed || option.first == pszAllowed;
        if (!bAllowed)
        {
            strError = CliAnsi(option.first) + " does not apply to " + strCommand;
            return false;
        }
    }
    return true;
}

int CliMain(int argc, wchar_t **argv, const CliProgram &program)
{
    g_pszProgram = program.pszName;
    VtlCrashReportInstall(program.pszName, nullptr, kExitCrash);
    // No system boxes for a drive without a medium and the like: nobody may be there to click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    CliBreak::Install();

    int nCode = kExitUsage;
    if (argc < 2 && !program.bCommandless)
        nCode = CliUsageError(CliText::kNoCommand);
    else if (argc >= 2 && IsOneOf(argv[1], {L"--help", L"-h", L"/?", L"help"}))
        nCode = PrintHelp(program);
    else if (argc == 2 && IsOneOf(argv[1], {L"--version"}))
    {
        CliOutput().Out(VTL_CLI_VERSION_TEXT);
        nCode = kExitDone;
    }
    else
    {
        std::vector<CliOption> options(std::begin(kCliBoardOptions), std::end(kCliBoardOptions));
        options.insert(options.end(), program.options.begin(), program.options.end());
        options.push_back({L"--help", false});
        CCliArgs args;
        if (!args.Parse(argc, argv, options))
            nCode = CliUsageError(args.Error());
        else if (args.Has(L"--help"))
            nCode = PrintHelp(program);
        else if (args.Command().empty() && !program.bCommandless)
            nCode = CliUsageError(CliText::kNoCommand);
        else
            nCode = program.pfnRun(args);
    }
    return CliBreak::Finish(nCode);
}
