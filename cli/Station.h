// Station.h - vtl-station: waits for boards, runs the recipe once on each new one, logs each.
#pragma once

#include "CliSession.h"
#include "EepromSafety.h"
#include "StationConsole.h"
#include "StationImage.h"
#include "StationLog.h"
#include "StationRule.h"
#include "StationWatch.h"

#include <memory>
#include <string>

struct StationOptions
{
    std::wstring strEeprom; // empty: no EEPROM step
    bool bAllowDowngrade = false;
    std::wstring strFlash; // empty: no flash program step
    bool bEraseFlash = false;
    FpgaFamily nFamily = FAMILY_SPARTAN;
    int nMajor = 1;
    int nMinor = 0;
    unsigned nCount = 0;    // stop after this many passed; 0: never
    unsigned nMaxFails = 0; // stop after this many failed; 0: never
    std::wstring strLog;
    std::wstring strBackupDir;
    bool bJson = false;
};

class CStation
{
public:
    explicit CStation(const StationOptions &options);

    // Opens the images, the log and the library, then serves boards until a count is reached or
    // a break comes: the exit code.
    int Run();

private:
    // Closes and opens the library and takes the new list into the positions.
    bool Relist();
    // The recipe on the board at that position; false once the station is to stop.
    void RunBoard(const CliBoard &board, CStationPositions::Due nDue);
    // The EEPROM step: false when it failed.
    bool EepromStep(CVtlBoard &board, const CliBoard &info, StationRow &row, std::string &strNote);
    // The flash step: false when it failed.
    bool FlashStep(CVtlBoard &board, StationRow &row);
    void Show(const std::string &strPhase, int nPercent);
    static int OnProgress(std::uint32_t, int nPercent, std::uint32_t, void *pContext);
    bool Finished() const;

    StationOptions m_options;
    CStationImage m_eeprom;
    CStationImage m_flash;
    CStationLog m_log;
    std::unique_ptr<CStationConsole> m_pConsole;
    std::unique_ptr<CStationWatch> m_pWatch;
    std::unique_ptr<CCliSession> m_pSession;
    CStationPositions m_positions;
    StationCounts m_counts;
    unsigned m_nInterruptedByBoard; // INTERRUPTED rows not caused by a break
    unsigned m_nRemovalsListed;     // removals the last listing took into account
    size_t m_nListed;               // boards in the last listing
    std::string m_strComputer;
    std::string m_strBoard; // the board being run, for the status line
    int m_nLastPercent;
    bool m_bErrConsole; // stderr is a console, where the status line is rewritten in place
    bool m_bLogFailed;
};
