// StationConsole.cpp - the station's status line, title and result lines.
#include "StationConsole.h"

#include "CliArgs.h"
#include "CliOutput.h"

#include <windows.h>

#include <cctype>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace
{
const char kTitlePrefix[] = "vtl-station - ";
const char kGreen[] = "32";
const char kRed[] = "31";

bool IsWordAt(const std::string &strLine, size_t nAt, size_t nLength)
{
    const auto bLetter = [](char c) { return isalnum(static_cast<unsigned char>(c)) != 0; };
    return (nAt == 0 || !bLetter(strLine[nAt - 1])) &&
           (nAt + nLength == strLine.size() || !bLetter(strLine[nAt + nLength]));
}
} // namespace

std::string StationCountsText(const StationCounts &counts)
{
    return "PASS " + std::to_string(counts.nPass) + "  FAIL " + std::to_string(counts.nFail) +
           "  INTERRUPTED " + std::to_string(counts.nInterrupted);
}

CStationConsole::CStationConsole(bool bJsonOut)
    : m_bVt(false), m_bJsonOut(bJsonOut), m_bTitleSet(false), m_hOut(nullptr), m_dwOldMode(0)
{
    const HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD dwMode = 0;
    // A pipe or a file has no mode: it gets plain text, never escapes.
    if (hOut && hOut != INVALID_HANDLE_VALUE && GetConsoleMode(hOut, &dwMode))
    {
        if (dwMode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
            m_bVt = true;
        else if (SetConsoleMode(hOut, dwMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        {
            m_bVt = true;
            m_hOut = hOut;
            m_dwOldMode = dwMode;
        }
    }
    std::wstring strTitle(1024, L'\0');
    const DWORD n = GetConsoleTitleW(&strTitle[0], static_cast<DWORD>(strTitle.size()));
    strTitle.resize(n < strTitle.size() ? n : 0);
    m_strOldTitle = strTitle;
}

CStationConsole::~CStationConsole()
{
    CliOutput().EndProgress();
    if (m_bTitleSet)
        SetConsoleTitleW(m_strOldTitle.c_str());
    if (m_hOut)
        SetConsoleMode(m_hOut, m_dwOldMode);
}

void CStationConsole::Title(const StationCounts &counts, const std::string &strState)
{
    // Counts with single blanks: a title is narrow.
    std::string strTitle = kTitlePrefix + std::string("PASS ") + std::to_string(counts.nPass) +
                           " FAIL " + std::to_string(counts.nFail) + " INTERRUPTED " +
                           std::to_string(counts.nInterrupted);
    if (!strState.empty())
        strTitle += " - " + strState;
    if (strTitle == m_strTitle)
        return;
    m_strTitle = strTitle;
    if (SetConsoleTitleW(CliWide(CliOneLine(strTitle)).c_str()))
        m_bTitleSet = true;
}

void CStationConsole::Waiting(const StationCounts &counts)
{
    Title(counts, "waiting");
    const std::string strStatus = StationCountsText(counts) + "  waiting for a board";
    // Into a pipe every status is a line of its own: repeat none.
    if (strStatus == m_strStatus)
        return;
    m_strStatus = strStatus;
    CliOutput().Progress(strStatus);
}

void CStationConsole::Working(const StationCounts &counts, const std::string &strBoard,
                              const std::string &strPhase, int nPercent)
{
    Title(counts, "working");
    std::string strStatus =
        StationCountsText(counts) + "  " + CliOneLine(strBoard) + ": " + CliOneLine(strPhase);
    if (nPercent >= 0)
        strStatus += " " + std::to_string(nPercent) + "%";
    if (strStatus == m_strStatus)
        return;
    m_strStatus = strStatus;
    CliOutput().Progress(strStatus);
}

void CStationConsole::Finished(const StationCounts &counts, const std::string &strResult,
                               const std::string &strLine)
{
    Title(counts, "");
    m_strStatus.clear();
    const char *pszSgr = nullptr;
    if (m_bVt)
        pszSgr = strResult == "PASS" ? kGreen : strResult == "FAIL" ? kRed : nullptr;
    size_t nAt = strResult.empty() ? std::string::npos : strLine.find(strResult);
    while (nAt != std::string::npos && !IsWordAt(strLine, nAt, strResult.size()))
        nAt = strLine.find(strResult, nAt + 1);
    if (m_bJsonOut)
    {
        CliOutput().Err(strLine);
        return;
    }
    if (nAt == std::string::npos)
    {
        CliOutput().Out(strLine);
        return;
    }
    CliOutput().OutColoured(strLine.substr(0, nAt), strResult, pszSgr,
                            strLine.substr(nAt + strResult.size()));
}

void CStationConsole::Message(const std::string &strText)
{
    m_strStatus.clear();
    CliOutput().Err(strText);
}
