// Station.cpp - start, the waiting loop and the end of vtl-station.
#include "Station.h"

#include "CliBreak.h"
#include "CliOutput.h"
#include "EepromBackup.h"
#include "ExitCodes.h"
#include "OstrelText.h"
#include "StationText.h"

#include <windows.h>

namespace
{
// A lost notice is found by listing again this often while nothing happens.
const DWORD kPollMs = 2000;

std::string ComputerName()
{
    char sz[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD dwSize = sizeof(sz);
    return GetComputerNameA(sz, &dwSize) ? std::string(sz, dwSize) : std::string();
}

// What the list tells of each board, to see a position change hands.
std::vector<std::string> BoardKeys(const std::vector<CliBoard> &boards)
{
    std::vector<std::string> keys;
    for (const CliBoard &board : boards)
        keys.push_back(std::to_string(board.dwIoAddress) + " " + board.strType);
    return keys;
}

CliTexts StationTexts()
{
    return {OstrelText::kLockFailedCaption,
            [](const std::string &strLibraryText, std::uint32_t nCode) {
                return CliFormat(OstrelText::kOpenFailed, strLibraryText.c_str(),
                                 static_cast<unsigned>(nCode));
            }};
}
} // namespace

CStation::CStation(const StationOptions &options)
    : m_options(options), m_nInterruptedByBoard(0), m_nRemovalsListed(0), m_nListed(0),
      m_strComputer(ComputerName()), m_nLastPercent(-1), m_bErrConsole(false), m_bLogFailed(false)
{
}

bool CStation::Finished() const
{
    return CliBreak::Requested() || m_bLogFailed ||
           (m_options.nCount != 0 && m_counts.nPass >= m_options.nCount) ||
           (m_options.nMaxFails != 0 && m_counts.nFail >= m_options.nMaxFails);
}

bool CStation::Relist()
{
    // Taken before the list is read: a removal noticed while listing counts for the next one.
    const unsigned nRemovals = m_pWatch->Removals();
    const int nCode = m_pSession->Reopen();
    if (nCode != kExitDone)
    {
        CliOutput().Err(StationText::kListFailed);
        m_positions.Listed(std::vector<std::string>(), true);
        m_nListed = 0;
        return false;
    }
    const std::uint32_t nCount = static_cast<std::uint32_t>(m_pSession->Boards().size());
    m_positions.Listed(BoardKeys(m_pSession->Boards()),
                       nRemovals != m_nRemovalsListed || nCount < m_nListed);
    m_nRemovalsListed = nRemovals;
    m_nListed = nCount;
    return true;
}

int CStation::Run()
{
    int nCode = kExitDone;
    if (!m_options.strEeprom.empty() && (nCode = m_eeprom.Open(m_options.strEeprom)) != kExitDone)
        return nCode;
    if (!m_options.strFlash.empty() && (nCode = m_flash.Open(m_options.strFlash)) != kExitDone)
        return nCode;
    std::string strError;
    if (!m_options.strEeprom.empty() && !MakeEepromBackupDir(m_options.strBackupDir, strError))
    {
        CliOutput().Err(strError);
        return kExitBadFile;
    }
    if ((nCode = m_log.Open(m_options.strLog)) != kExitDone)
        return nCode;
    // With --json, stdout holds the rows alone.
    const auto Say = [&](const std::string &strText) {
        m_options.bJson ? CliOutput().Err(strText) : CliOutput().Out(strText);
    };
    for (const CStationImage *pImage : {&m_eeprom, &m_flash})
    {
        if (!pImage->LibraryPath().empty())
            Say(CliFormat(StationText::kImage, pImage == &m_eeprom ? "EEPROM" : "Flash",
                          pImage->LibraryPath().c_str(),
                          static_cast<unsigned long long>(pImage->Size()),
                          pImage->Sha256().c_str()));
    }
    Say(CliFormat(StationText::kLogAt, CliAnsi(m_log.Path()).c_str()));

    m_pConsole.reset(new CStationConsole(m_options.bJson));
    DWORD dwMode = 0;
    m_bErrConsole = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &dwMode) != 0;
    m_pWatch.reset(new CStationWatch);
    m_pSession.reset(new CCliSession(StationTexts()));
    // The library takes the low 32 bits of a window handle, which is all a handle holds.
    nCode = m_pSession->Open(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_pWatch->Window())));
    if (nCode != kExitDone)
        return nCode;
    m_nListed = m_pSession->Boards().size();
    m_positions.Listed(BoardKeys(m_pSession->Boards()), false);
    m_nRemovalsListed = m_pWatch->Removals();

    bool bRelist = false;
    while (!Finished())
    {
        if (bRelist && !Relist() && CliBreak::Requested())
            break;
        bRelist = false;
        const int nNext = m_positions.Next();
        if (nNext >= 0)
        {
            const CliBoard board = m_pSession->Boards()[static_cast<size_t>(nNext)];
            RunBoard(board, m_positions.At(static_cast<std::uint32_t>(nNext)));
            // A notice that came meanwhile is taken at the next turn.
            bRelist = WaitForSingleObject(m_pWatch->ChangeEvent(), 0) == WAIT_OBJECT_0;
            continue;
        }
        m_pConsole->Waiting(m_counts);
        const HANDLE handles[] = {m_pWatch->ChangeEvent(), CliBreak::Event()};
        WaitForMultipleObjects(2, handles, FALSE, kPollMs);
        bRelist = true;
    }

    nCode = m_pSession->Close();
    m_pSession.reset();
    m_pConsole->Message(
        CliFormat(StationText::kSummary, m_counts.nPass, m_counts.nFail, m_counts.nInterrupted));
    const int nResult = m_bLogFailed ? kExitBadFile
                                     : StationExitCode(m_counts.nFail, m_nInterruptedByBoard,
                                                       CliBreak::Requested());
    return CliWorse(nResult, nCode);
}
