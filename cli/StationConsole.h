// StationConsole.h - what the station shows: one status line rewritten in place (the counts,
// the board, the phase and its percent), the same counts in the console title, and a line per
// finished board with PASS in green and FAIL in red where the console takes VT sequences.
#pragma once

#include <windows.h>

#include <string>

struct StationCounts
{
    unsigned nPass = 0;
    unsigned nFail = 0;
    unsigned nInterrupted = 0;
};

class CStationConsole
{
public:
    // Turns VT processing on when stdout is a console that takes it; remembers the original
    // title and mode and puts them back in the destructor.
    // bJsonOut: stdout is kept for JSON lines, so result lines go to stderr.
    explicit CStationConsole(bool bJsonOut = false);
    ~CStationConsole();
    CStationConsole(const CStationConsole &) = delete;
    CStationConsole &operator=(const CStationConsole &) = delete;

    // "PASS 3  FAIL 1  INTERRUPTED 0  waiting for a board"
    void Waiting(const StationCounts &counts);
    // "PASS 3  FAIL 1  INTERRUPTED 0  board 0 at 0x300 (VTL4410): flash 42%"; nPercent < 0: none
    void Working(const StationCounts &counts, const std::string &strBoard,
                 const std::string &strPhase, int nPercent);
    // Ends the status line and prints the board's result line on stdout, coloured when it can be:
    // the first word strResult in strLine is shown green (PASS) or red (FAIL).
    void Finished(const StationCounts &counts, const std::string &strResult,
                  const std::string &strLine);
    // A message on stderr (ends the status line first).
    void Message(const std::string &strText);

    bool Coloured() const { return m_bVt; }

private:
    void Title(const StationCounts &counts, const std::string &strState);

    bool m_bVt;
    bool m_bJsonOut;
    std::wstring m_strOldTitle;
    bool m_bTitleSet;        // the title was changed, so it is put back
    std::string m_strTitle;  // the last one set
    std::string m_strStatus; // the status line shown, empty after a line ended it
    HANDLE m_hOut;           // stdout, when its mode was changed
    DWORD m_dwOldMode;
};

// "PASS 3  FAIL 1  INTERRUPTED 0"
std::string StationCountsText(const StationCounts &counts);
