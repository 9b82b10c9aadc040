// StationLog.h - the station's log: one CSV row per board (RFC 4180, with a header), appended
// and flushed to the disk before the next board starts; the same row as a JSON line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

enum StationPhase
{
    kStationBackup,
    kStationWrite,
    kStationVerify,
    kStationRestore,
    kStationFlash,
    kStationPhaseCount
};

struct StationRow
{
    std::string strUtc;      // 2026-12-08T22:53:47.123Z
    std::string strComputer; // GetComputerNameA
    std::uint32_t nIndex = 0;
    std::uint32_t dwIoAddress = 0;
    std::string strType;
    std::string strEepromBefore; // "1.05", empty when unknown or no EEPROM step
    std::string strEepromAfter;
    std::string strEepromFile; // as given to the library, empty without --eeprom
    std::string strEepromSha256;
    std::string strFlashFile; // empty without --flash
    std::string strFlashSha256;
    std::string strFamily;  // "spartan" / "virtex", empty without a flash step
    std::string strVersion; // "1.0", empty without --flash
    int nMs[kStationPhaseCount] = {-1, -1, -1, -1, -1}; // -1: phase not run (empty cell)
    std::string strResult;                              // PASS, FAIL or INTERRUPTED
    std::string strError; // why, empty on PASS unless a note (e.g. "identical", a re-run)
};

// The header line and one row, each ending in CRLF. Fields holding a comma, a quote, a line end
// or another control byte are quoted, quotes doubled; every byte is kept.
std::string StationCsvHeader();
std::string StationCsvLine(const StationRow &row);
// The row as one JSON object on one line (no line end), keys as the CSV header names them:
// index and the milliseconds are numbers (null for a phase not run), everything else strings.
std::string StationJsonLine(const StationRow &row);

// station-YYYYMMDD.csv for today's local date
std::wstring StationDefaultLogName();
// Now as ISO 8601 UTC with milliseconds.
std::string StationUtcNow();

class CStationLog
{
public:
    CStationLog();
    ~CStationLog();
    CStationLog(const CStationLog &) = delete;
    CStationLog &operator=(const CStationLog &) = delete;

    // Opens for appending, never truncating; writes the header to a new or empty file. Another
    // program may read it meanwhile. 0, or kExitBadFile (6) after printing why.
    int Open(const std::wstring &strPath);
    const std::wstring &Path() const { return m_strPath; }

    // Writes the row and flushes it to the disk: false with the reason.
    bool Append(const StationRow &row, std::string &strError);

private:
    HANDLE m_hFile;
    std::wstring m_strPath;
};
