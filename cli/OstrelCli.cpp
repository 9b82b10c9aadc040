// OstrelCli.cpp - ostrel-cli: Ostrel's board list and EEPROM commands for scripts.
#include "CliBoardFile.h"
#include "CliBreak.h"
#include "CliJson.h"
#include "CliMain.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "CliText.h"
#include "EepromBackup.h"
#include "OstrelEepromCommands.h"
#include "ExitCodes.h"
#include "OstrelText.h"
#include "VersionRule.h"
#include "DriverText.h"
#include "TorvaneText.h"

#include <cstdio>
#include <map>
#include <vector>

using namespace OstrelText;

namespace
{

std::string OpenFailed(const std::string &strLibraryText, std::uint32_t nCode)
{
    return CliFormat(kOpenFailed, strLibraryText.c_str(), static_cast<unsigned>(nCode));
}

const CliTexts kTexts = {kLockFailedCaption, &OpenFailed};

// A GUI text with the library's text for the failure after it, when it has one.
std::string WithLibraryText(const char *pszText, CVtlBoard &board)
{
    const std::string strLibrary = CopyDriverText(board.GetErrorText());
    return strLibrary.empty() ? std::string(pszText) : pszText + ("\n" + strLibrary);
}

struct ListRow
{
    const CliBoard *pBoard;
    bool bLocked;
    bool bVersion;
    int nMajor;
    int nMinor;
};

void PrintList(const std::vector<ListRow> &rows, bool bJson)
{
    std::string strText = bJson ? "[" : "index  I/O address  EEPROM version  board type";
    for (size_t i = 0; i < rows.size(); ++i)
    {
        const ListRow &row = rows[i];
        char szAddress[16];
        snprintf(szAddress, sizeof(szAddress), kIoAddress,
                 static_cast<unsigned>(row.pBoard->dwIoAddress));
        char szVersion[48] = "null";
        if (bJson)
        {
            if (row.bVersion)
                snprintf(szVersion, sizeof(szVersion), "{\"major\": %d, \"minor\": %d}", row.nMajor,
                         row.nMinor);
            strText += std::string(i ? "," : "") +
                       "\n  {\"index\": " + std::to_string(row.pBoard->nPosition) +
                       ", \"board_type\": " + JsonString(row.pBoard->strType) +
                       ", \"io_address\": \"" + szAddress + "\", \"eeprom_version\": " + szVersion +
                       ", \"locked\": " + (row.bLocked ? "true" : "false") + "}";
            continue;
        }
        if (row.bVersion)
            snprintf(szVersion, sizeof(szVersion), kVersion, row.nMajor, row.nMinor);
        else
            snprintf(szVersion, sizeof(szVersion), "%s", row.bLocked ? "locked" : kUnknownVersion);
        char szLine[96];
        snprintf(szLine, sizeof(szLine), "\n%-5u  %-11s  %-14s  ", row.pBoard->nPosition, szAddress,
                 szVersion);
        // Line ends in a type would break the one-line-per-board layout.
        strText += szLine + CliOneLine(row.pBoard->strType);
    }
    CliOutput().Out(bJson ? strText + (rows.empty() ? "]" : "\n]") : strText);
}

// Opens each listed board in turn for its EEPROM version and releases it at once, so that a
// listing never keeps a board from another program.
int List(CCliSession &session, bool bJson)
{
    std::vector<ListRow> rows;
    int nCode = kExitDone;
    for (const CliBoard &board : session.Boards())
    {
        if (CliBreak::Requested())
            return CliWorse(nCode, kExitInterrupted);
        ListRow row = {&board, false, false, 0, 0};
        try
        {
            UsbBoard *pBoard = session.OpenBoard(board);
            row.bLocked = pBoard == nullptr;
            if (pBoard && !CliBreak::Requested())
                row.bVersion = CVtlBoard(pBoard).GetEepromVersion(&row.nMajor, &row.nMinor) == 0;
        }
        catch (VTLExc &e)
        {
            nCode = CliWorse(nCode, CCliSession::ReportException(e));
        }
        nCode = CliWorse(nCode, session.ReleaseBoard());
        rows.push_back(row);
    }
    PrintList(rows, bJson);
    if (rows.empty())
    {
        CliOutput().Err(TorvaneText::kNoBoards);
        nCode = CliWorse(nCode, kExitNoBoard);
    }
    return nCode;
}

CliResult Erase(CVtlBoard &board, const CliBoard &info, const std::wstring &strBackupDir)
{
    CliResult result{};
    if (CliBreak::Requested())
        return CliInterrupted();
    if (!BackedUp(board, info, strBackupDir, result))
        return result;
    if (CliBreak::Requested())
        return CliInterrupted();
    if (board.EraseEeprom() == 0)
        return {kExitDone, kEraseDone};
    CliOutput().Err(WithLibraryText(kEraseFailed, board));
    return {kExitLibraryFailure, std::string()};
}

CliResult Save(CVtlBoard &board, const std::string &strPath)
{
    if (CliBreak::Requested())
        return CliInterrupted();
    if (board.SaveEeprom(strPath.c_str()) == 0)
        return {kExitDone, CliFormat(CliText::kEepromSaved, strPath.c_str())};
    CliOutput().Err(WithLibraryText(kSaveFailed, board));
    return {kExitLibraryFailure, std::string()};
}

// What Update and Verify do first: the library's image check, with a break honoured on either
// side of it. False with the result to end on.
bool ImageChecked(CVtlBoard &board, const std::string &strPath, CliResult &result)
{
    if (CliBreak::Requested())
    {
        result = CliInterrupted();
        return false;
    }
    if (!board.IsValidEepromFile(strPath.c_str()))
    {
        CliOutput().Err(std::string(kInvalidFile) + ": " + strPath);
        result = {kExitBadFile, std::string()};
        return false;
    }
    if (CliBreak::Requested())
    {
        result = CliInterrupted();
        return false;
    }
    return true;
}

CliResult Verify(CVtlBoard &board, const std::string &strPath)
{
    CliResult result{};
    if (!ImageChecked(board, strPath, result))
        return result;
    if (board.VerifyEeprom(strPath.c_str()) == 0)
        return {kExitDone, kVerifyDone};
    CliOutput().Err(WithLibraryText(kVerifyFailed, board));
    return {kExitVerifyMismatch, std::string()};
}

int Run(const CCliArgs &args)
{
    const std::wstring &strCommand = args.Command();
    const bool bList = strCommand == L"list";
    const bool bUpdate = strCommand == L"update";
    const bool bErase = strCommand == L"erase";
    const bool bSave = strCommand == L"save";
    const bool bRestore = strCommand == L"restore";
    const bool bBackups = strCommand == L"backups";
    const bool bOperand = bUpdate || bSave || strCommand == L"verify";
    const bool bWithFile = bOperand || (bRestore && args.Has(L"--from"));
    if (!bList && !bErase && !bWithFile && !bRestore && !bBackups)
        return CliUsageError(CliFormat(CliText::kUnknownCommand, CliAnsi(strCommand).c_str()));

    std::string strError;
    bool bUseOk;
    if (bList)
        bUseOk = CheckCommandUse(args, 0, {L"--json"}, strError);
    else if (bBackups)
        bUseOk = CheckCommandUse(args, 0, {L"--io", L"--backup-dir"}, strError);
    else if (bUpdate)
        bUseOk = CheckCommandUse(args, 1,
                                 {L"--board", L"--io", L"--all", L"--allow-downgrade", L"--force",
                                  L"--backup-dir", L"--no-backup"},
                                 strError);
    else if (bErase)
        bUseOk = CheckCommandUse(
            args, 0, {L"--board", L"--io", L"--all", L"--backup-dir", L"--no-backup"}, strError);
    else if (bRestore)
        bUseOk = CheckCommandUse(args, 0,
                                 {L"--board", L"--io", L"--all", L"--latest", L"--from",
                                  L"--backup-dir", L"--no-backup"},
                                 strError);
    else
        bUseOk = CheckCommandUse(args, bOperand ? 1 : 0, {L"--board", L"--io", L"--all"}, strError);
    CliBoardChoice choice;
    if (!bUseOk || !ReadBoardChoice(args, choice, strError) ||
        !CheckBackupOptions(args, bRestore, strError))
        return CliUsageError(strError);
    const bool bAll = choice.nKind == CliBoardChoice::kAll;
    const std::wstring strFile = !bWithFile ? std::wstring()
                                 : bOperand ? args.Operands()[0]
                                            : args.Value(L"--from");
    const bool bPerBoard = HasBoardPlaceholder(strFile);
    if (bSave && bAll && !bPerBoard)
        return CliUsageError(CliText::kSaveAllNeedsPattern);

    // A file without placeholders is checked before the library is loaded; one with them once
    // the list tells their values, and before any board is opened.
    std::map<std::uint32_t, std::string> paths;
    std::string strPath;
    int nCode = kExitDone;
    if (bWithFile && !bPerBoard && (nCode = CheckBoardFile(strFile, bSave, strPath)) != kExitDone)
        return nCode;
    // The folder backups are read from, and the one they are written to (empty: none).
    std::wstring strBackupDir;
    std::wstring strNewBackups;
    const bool bNoBackup = args.Has(L"--no-backup");
    if (bRestore || bBackups || ((bUpdate || bErase) && !bNoBackup))
    {
        if ((nCode = BackupDirOf(args, strBackupDir)) != kExitDone)
            return nCode;
        if (bBackups)
            return ListBackups(choice, strBackupDir);
        if (!bNoBackup)
        {
            strNewBackups = strBackupDir;
            if (!MakeEepromBackupDir(strNewBackups, strError))
            {
                CliOutput().Err(std::string(CliProgramName()) + ": " + strError);
                return kExitBadFile;
            }
        }
    }

    CCliSession session(kTexts);
    nCode = session.Open();
    if (nCode != kExitDone)
        return nCode;
    if (bList)
        nCode = List(session, args.Has(L"--json"));
    else
    {
        const std::vector<const CliBoard *> chosen = session.Choose(choice);
        if (bPerBoard && !chosen.empty())
            nCode = BoardFiles(strFile, bSave, chosen, paths);
        EepromUpdatePlan plan;
        plan.strBackupDir = strNewBackups;
        plan.bAllowDowngrade = args.Has(L"--allow-downgrade");
        plan.bForce = args.Has(L"--force");
        if (nCode == kExitDone)
            nCode = session.Run(chosen, bAll, [&](CVtlBoard &board, const CliBoard &info) {
                const std::string &strBoardPath = bPerBoard ? paths[info.nPosition] : strPath;
                if (bErase)
                    return Erase(board, info, strNewBackups);
                if (bRestore)
                    return RestoreEeprom(board, info, strBoardPath, strBackupDir, plan);
                if (bUpdate)
                {
                    plan.strImage = strBoardPath;
                    return UpdateEeprom(board, info, plan, false);
                }
                if (bSave)
                    return Save(board, strBoardPath);
                return Verify(board, strBoardPath);
            });
    }
    return CliWorse(nCode, session.Close());
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    const CliProgram program = {"ostrel-cli",
                                CliText::kOstrelHelp,
                                {{L"--json", false},
                                 {L"--allow-downgrade", false},
                                 {L"--force", false},
                                 {L"--backup-dir", true},
                                 {L"--no-backup", false},
                                 {L"--latest", false},
                                 {L"--from", true}},
                                &Run};
    return CliMain(argc, argv, program);
}
