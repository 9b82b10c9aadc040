// VtlStation.cpp - vtl-station's command line.
#include "CliMain.h"
#include "CliOutput.h"
#include "CliText.h"
#include "EepromSafety.h"
#include "ExitCodes.h"
#include "Station.h"
#include "StationText.h"

namespace
{
// Every option value, checked before anything is opened: false with the reason.
bool ReadOptions(const CCliArgs &args, StationOptions &options, std::string &strError)
{
    if (!args.Command().empty())
    {
        strError = CliFormat(StationText::kOperand, CliAnsi(args.Command()).c_str());
        return false;
    }
    for (const wchar_t *pszBoard : {L"--board", L"--io", L"--all"})
    {
        if (args.Has(pszBoard))
        {
            strError = CliFormat(CliText::kUnknownOption, CliAnsi(pszBoard).c_str());
            return false;
        }
    }
    const bool bFlash = args.Has(L"--flash");
    options.bEraseFlash = args.Has(L"--erase-flash");
    if (!args.Has(L"--eeprom") && !bFlash && !options.bEraseFlash)
        strError = StationText::kNoRecipe;
    else if (bFlash && options.bEraseFlash)
        strError = StationText::kFlashAndErase;
    else if (bFlash && (!args.Has(L"--family") || !args.Has(L"--version")))
        strError = StationText::kFlashNeeds;
    else if (!bFlash && args.Has(L"--version"))
        strError = CliFormat(StationText::kOnlyWithFlash, "--version");
    else if (!bFlash && !options.bEraseFlash && args.Has(L"--family"))
        strError = CliFormat(StationText::kOnlyWithFlash, "--family");
    else if (!args.Has(L"--eeprom") && args.Has(L"--allow-downgrade"))
        strError = StationText::kOnlyWithEeprom;
    if (!strError.empty())
        return false;

    if (args.Has(L"--family"))
    {
        const std::wstring &strFamily = args.Value(L"--family");
        if (strFamily != L"spartan" && strFamily != L"virtex")
        {
            strError = CliFormat(CliText::kBadFamily, CliAnsi(strFamily).c_str());
            return false;
        }
        options.nFamily = strFamily == L"virtex" ? FAMILY_VIRTEX : FAMILY_SPARTAN;
    }
    if (args.Has(L"--version") &&
        !ParseVersion(args.Value(L"--version"), options.nMajor, options.nMinor))
    {
        strError = CliFormat(CliText::kBadVersion, CliAnsi(args.Value(L"--version")).c_str());
        return false;
    }
    for (const auto &count : {std::make_pair(L"--count", &options.nCount),
                              std::make_pair(L"--max-fails", &options.nMaxFails)})
    {
        if (args.Has(count.first) && !ParseCount(args.Value(count.first), *count.second))
        {
            strError = CliFormat(StationText::kBadCount, CliAnsi(count.first).c_str(),
                                 CliAnsi(args.Value(count.first)).c_str());
            return false;
        }
    }
    if (args.Has(L"--eeprom"))
        options.strEeprom = args.Value(L"--eeprom");
    if (bFlash)
        options.strFlash = args.Value(L"--flash");
    options.bAllowDowngrade = args.Has(L"--allow-downgrade");
    options.strLog = args.Has(L"--log") ? args.Value(L"--log") : StationDefaultLogName();
    options.strBackupDir =
        args.Has(L"--backup-dir") ? args.Value(L"--backup-dir") : DefaultEepromBackupDir();
    options.bJson = args.Has(L"--json");
    // Every EEPROM write must be undoable: without a folder for the backups, none is written.
    if (!options.strEeprom.empty() && options.strBackupDir.empty())
    {
        strError = CliText::kNoBackupFolder;
        return false;
    }
    for (const wchar_t *pszPath : {L"--eeprom", L"--flash", L"--log", L"--backup-dir"})
    {
        if (args.Has(pszPath) && args.Value(pszPath).empty())
        {
            strError = CliFormat(StationText::kNeedsPath, CliAnsi(pszPath).c_str());
            return false;
        }
    }
    return true;
}

int Run(const CCliArgs &args)
{
    StationOptions options;
    std::string strError;
    if (!ReadOptions(args, options, strError))
        return CliUsageError(strError);
    CStation station(options);
    return station.Run();
}
} // namespace

int wmain(int argc, wchar_t **argv)
{
    CliProgram program = {"vtl-station",
                          StationText::kHelp,
                          {{L"--eeprom", true},
                           {L"--allow-downgrade", false},
                           {L"--flash", true},
                           {L"--erase-flash", false},
                           {L"--family", true},
                           {L"--version", true},
                           {L"--count", true},
                           {L"--max-fails", true},
                           {L"--log", true},
                           {L"--backup-dir", true},
                           {L"--json", false}},
                          &Run};
    program.bCommandless = true;
    return CliMain(argc, argv, program);
}
