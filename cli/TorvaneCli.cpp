// TorvaneCli.cpp - torvane-cli: Torvane's flash commands for scripts.
#include "CliBoardFile.h"
#include "CliBreak.h"
#include "CliMain.h"
#include "CliOutput.h"
#include "CliProgress.h"
#include "CliSession.h"
#include "CliText.h"
#include "ExitCodes.h"
#include "FamilySetting.h"
#include "DriverText.h"
#include "TorvaneText.h"

#include <functional>

using namespace TorvaneText;

namespace
{

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
            strError = CliFormat(CliText::kBadFamily, CliAnsi(strValue).c_str());
            return false;
        }
        strSource = CliText::kFamilyFromOption;
    }
    else
    {
        bool bStored = false;
        nFamily = ReadStoredFamily(bStored);
        strSource = bStored ? CliText::kFamilyFromSetting : CliText::kFamilyFromDefault;
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
        return CliUsageError(CliFormat(CliText::kUnknownCommand, CliAnsi(strCommand).c_str()));

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
        return CliUsageError(
            CliFormat(CliText::kBadVersion, CliAnsi(args.Value(L"--version")).c_str()));
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
    nCode = session.Run(
        session.Choose(choice), choice.nKind == CliBoardChoice::kAll,
        [&](CVtlBoard &board, const CliBoard &info) {
            if (!bSaid && bDefaultBoard)
                CliOutput().Out(CliFormat(CliText::kTorvanesBoard, info.Describe().c_str()));
            if (!bSaid && !strFamilySource.empty())
                CliOutput().Out(
                    CliFormat(CliText::kFamilyUsed, FamilyName(nFamily), strFamilySource.c_str()));
            bSaid = true;
            return command(board, info);
        });
    return CliWorse(nCode, session.Close());
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    const CliProgram program = {
        "torvane-cli", CliText::kTorvaneHelp, {{L"--family", true}, {L"--version", true}}, &Run};
    return CliMain(argc, argv, program);
}
