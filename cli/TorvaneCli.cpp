// TorvaneCli.cpp - torvane-cli: Torvane's flash commands for scripts.
#include "CliBoardFile.h"
#include "CliBreak.h"
#include "CliMain.h"
#include "CliOutput.h"
#include "CliProgress.h"
#include "CliSession.h"
#include "ExitCodes.h"
#include "FamilySetting.h"
#include "DriverText.h"
#include "TorvaneText.h"

#include <functional>

using namespace TorvaneText;

namespace
{
const char kHelp[] =
    "torvane-cli - programs or erases the configuration flash of VTL4410 boards\n"
    "\n"
    "Usage:\n"
    "  torvane-cli info [BOARD]\n"
    "  torvane-cli program FILE [--family spartan|virtex] [--version MAJOR.MINOR] [BOARD]\n"
    "  torvane-cli erase [BOARD]\n"
    "  torvane-cli erase-bitstream [--family spartan|virtex] [BOARD]\n"
    "  torvane-cli --help | --version\n"
    "\n"
    "  info             prints the flash description of both FPGA families\n"
    "  program          writes a bitstream (*.bit) or an application (*.app) into the flash\n"
    "  erase            erases the whole flash\n"
    "  erase-bitstream  erases the stored bitstream of one family\n"
    "\n"
    "  --family         the FPGA family; without it the one Torvane stored, else Spartan\n"
    "  --version        the version stored with the file; without it 1.0\n"
    "\n"
    "BOARD chooses the boards; without it the board Torvane uses, the library's board 0,\n"
    "which must be listed (as list index 0); the program says which board it is:\n"
    "  --board N        the board at list index N (as \"ostrel-cli list\" shows it)\n"
    "  --io 0xADDR      the one board at I/O address ADDR (several there: none, code 3)\n"
    "  --all            each listed board in turn, with one summary line per board\n"
    "\n"
    "Results go to stdout; messages and progress go to stderr. Ctrl+C or closing the console\n"
    "lets the running board operation finish and starts nothing more; the board is released\n"
    "and the program exits with 130, or with the worst code of an operation that failed.\n";

const char *FamilyName(FpgaFamily nFamily)
{
    return nFamily == FAMILY_VIRTEX ? "Virtex" : "Spartan";
}

std::string OpenFailed(const std::string &strLibraryText, std::uint32_t)
{
    return CliFormat(kOpenLibraryFailed, strLibraryText.c_str());
}

const CliTexts kTexts = {kNoInterface, &OpenFailed};

std::string ErrorText(CVtlBoard &board)
{
    return CopyDriverText(board.GetErrorText());
}

// The family from --family, else from Torvane's settings, and where it came from.
bool ChooseFamily(const CCliArgs &args, FpgaFamily &nFamily, std::string &strSource,
                  std::string &strError)
{
    if (args.Has(L"--family"))
    {
        const std::wstring &strValue = args.Value(L"--family");
        if (_wcsicmp(strValue.c_str(), L"spartan") == 0)
            nFamily = FAMILY_SPARTAN;
        else if (_wcsicmp(strValue.c_str(), L"virtex") == 0)
            nFamily = FAMILY_VIRTEX;
        else
        {
            strError = "--family takes spartan or virtex, not \"" + CliAnsi(strValue) + "\"";
            return false;
        }
        strSource = "--family";
    }
    else
    {
        bool bStored = false;
        nFamily = ReadStoredFamily(bStored);
        strSource = bStored ? "Torvane's setting" : "default";
    }
    return true;
}

CliResult Info(CVtlBoard &board, const CliBoard &info)
{
    CliOutput().Out(info.Describe());
    int nCode = kExitDone;
    for (FpgaFamily nFamily : {FAMILY_SPARTAN, FAMILY_VIRTEX})
    {
        if (CliBreak::Requested())
            return {CliWorse(nCode, kExitInterrupted), std::string()};
        char szBuffer[kFlashInfoSize];
        std::uint32_t nSize = sizeof(szBuffer);
        const int nStatus = board.GetFlashInfo(nFamily, szBuffer, &nSize);
        if (nStatus == 0)
        {
            std::string strText = "  " + CopyDriverText(szBuffer, sizeof(szBuffer));
            for (size_t i = 0; (i = strText.find('\n', i)) != std::string::npos; i += 3)
                strText.insert(i + 1, "  ");
            CliOutput().Out(std::string(FamilyName(nFamily)) + ":\n" + strText);
            continue;
        }
        CliOutput().Err(
            std::string(FamilyName(nFamily)) + ": " +
            (nStatus == kFlashQueryNoAccess ? std::string(kFlashNotAccessible) : ErrorText(board)));
        nCode = kExitLibraryFailure;
    }
    return {nCode, std::string()};
}

// One flash operation with progress; the error text is formatted with the board's text.
CliResult FlashOperation(CVtlBoard &board, CCliProgress &progress, FlashCommand nCommand,
                         const std::function<int()> &operation)
{
    if (CliBreak::Requested())
        return CliInterrupted();
    board.SetProgressCallback(&CCliProgress::Callback, &progress);
    if (CliBreak::Requested())
        return CliInterrupted();
    progress.Start();
    const int nStatus = operation();
    progress.End();
    if (nStatus != 0)
    {
        CliOutput().Err(CliFormat(kFlashCommands[nCommand].pszError, ErrorText(board).c_str()));
        return {kExitLibraryFailure, std::string()};
    }
    return {kExitDone, kFlashCommands[nCommand].pszEnd};
}

int Run(const CCliArgs &args)
{
    const std::wstring &strCommand = args.Command();
    const bool bProgram = strCommand == L"program";
    const bool bEraseBitstream = strCommand == L"erase-bitstream";
    if (!bProgram && !bEraseBitstream && strCommand != L"info" && strCommand != L"erase")
        return CliUsageError("unknown command \"" + CliAnsi(strCommand) + "\"");

    // Every option value is checked before anything is printed or looked at.
    std::string strError;
    bool bUseOk = true;
    if (bProgram)
        bUseOk = CheckCommandUse(
            args, 1, {L"--board", L"--io", L"--all", L"--family", L"--version"}, strError);
    else if (bEraseBitstream)
        bUseOk = CheckCommandUse(args, 0, {L"--board", L"--io", L"--all", L"--family"}, strError);
    else
        bUseOk = CheckCommandUse(args, 0, {L"--board", L"--io", L"--all"}, strError);
    CliBoardChoice choice;
    int nMajor = 1;
    int nMinor = 0;
    if (!bUseOk || !ReadBoardChoice(args, choice, strError))
        return CliUsageError(strError);
    if (args.Has(L"--version") && !ParseVersion(args.Value(L"--version"), nMajor, nMinor))
        return CliUsageError("--version takes MAJOR.MINOR such as 1.0, not \"" +
                             CliAnsi(args.Value(L"--version")) + "\"");
    FpgaFamily nFamily = FAMILY_SPARTAN;
    std::string strFamilySource;
    if ((bProgram || bEraseBitstream) && !ChooseFamily(args, nFamily, strFamilySource, strError))
        return CliUsageError(strError);
    const bool bDefaultBoard = choice.nKind == CliBoardChoice::kFirst;
    if (bDefaultBoard)
        choice.nKind = CliBoardChoice::kLibraryFirst;

    // The file is checked before any board is touched.
    std::string strPath;
    int nCode = kExitDone;
    if (bProgram && (nCode = CheckBoardFile(args.Operands()[0], false, strPath)) != kExitDone)
        return nCode;

    // Declared before the session: the library may report progress until the board is released.
    CCliProgress progress;
    CCliSession session(kTexts);
    nCode = session.Open();
    if (nCode != kExitDone)
        return nCode;
    CliCommandFn command;
    if (bProgram)
        command = [&](CVtlBoard &board, const CliBoard &) {
            return FlashOperation(board, progress, kFlashProgram, [&] {
                return board.ProgramFlash(strPath.c_str(), nFamily, nMajor, nMinor);
            });
        };
    else if (bEraseBitstream)
        command = [&](CVtlBoard &board, const CliBoard &) {
            return FlashOperation(board, progress, kFlashEraseBitstream,
                                  [&] { return board.EraseBitstream(nFamily); });
        };
    else if (strCommand == L"erase")
        command = [&](CVtlBoard &board, const CliBoard &) {
            return FlashOperation(board, progress, kFlashErase, [&] { return board.EraseFlash(); });
        };
    else
        command = &Info;
    // Which board and family are said once a board is open, before the first operation.
    bool bSaid = false;
    nCode =
        session.Run(session.Choose(choice), choice.nKind == CliBoardChoice::kAll,
                    [&](CVtlBoard &board, const CliBoard &info) {
                        if (!bSaid && bDefaultBoard)
                            CliOutput().Out("Board: " + info.Describe() + ", the one Torvane uses");
                        if (!bSaid && !strFamilySource.empty())
                            CliOutput().Out(std::string("Family: ") + FamilyName(nFamily) + " (" +
                                            strFamilySource + ")");
                        bSaid = true;
                        return command(board, info);
                    });
    return CliWorse(nCode, session.Close());
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    const CliProgram program = {
        "torvane-cli", kHelp, {{L"--family", true}, {L"--version", true}}, &Run};
    return CliMain(argc, argv, program);
}
