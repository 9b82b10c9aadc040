// CliSession.cpp - library lifetime, board records and the per-board command loop.
#include "CliSession.h"

#include "CliBreak.h"
#include "CliOutput.h"
#include "CliText.h"
#include "ExitCodes.h"
#include "DriverText.h"
#include "OstrelText.h"
#include "TorvaneText.h"

#include <algorithm>
#include <cstdio>

std::string CliBoard::Describe() const
{
    return CliFormat(CliText::kBoardDescription, static_cast<unsigned>(nPosition),
                     CliFormat(OstrelText::kIoAddress, static_cast<unsigned>(dwIoAddress)).c_str(),
                     CliOneLine(strType).c_str());
}

CCliSession::CCliSession(const CliTexts &texts)
    : m_texts(texts), m_dwWindow(0), m_bLibraryOpen(false), m_pBoard(nullptr)
{
}

CCliSession::~CCliSession()
{
    Close();
}

int CCliSession::ReportException(const VTLExc &e)
{
    CliOutput().Err(DriverMessage(e) + " (driver exception, code " + std::to_string(e.m_nCode) +
                    ")");
    return kExitDriverException;
}

int CCliSession::Open(std::uint32_t dwWindow)
{
    DWORD dwLoadError = 0;
    try
    {
        m_pLoader.reset(new CVtlDrvUsbLoad(VtlLoadQuietly(), &dwLoadError));
    }
    catch (VTLExc &e)
    {
        std::string strText = DriverMessage(e);
        if (dwLoadError != 0)
        {
            char sz[32];
            snprintf(sz, sizeof(sz), " (system error %x)", static_cast<unsigned>(dwLoadError));
            strText += sz;
        }
        CliOutput().Err(strText);
        return kExitLibraryMissing;
    }
    if (CliBreak::Requested())
        return kExitInterrupted;
    m_dwWindow = dwWindow;
    return OpenLibrary();
}

int CCliSession::Reopen()
{
    const int nClose = Close();
    const int nOpen = OpenLibrary();
    return nOpen != kExitDone ? nOpen : nClose;
}

int CCliSession::OpenLibrary()
{
    m_boards.clear();
    try
    {
        m_bLibraryOpen = true;
        const std::uint32_t nCode = m_pLoader->Open(m_dwWindow);
        if (nCode != 0)
        {
            CliOutput().Err(
                m_texts.pfnOpenFailed(CopyDriverText(m_pLoader->GetError(nCode)), nCode));
            return kExitLibraryFailure;
        }
        const std::uint32_t nCount = std::min(m_pLoader->GetBoardCount(), kMaxBoardIndexes);
        for (std::uint32_t i = 0; i < nCount; ++i)
        {
            BoardInfo info{};
            try
            {
                m_pLoader->GetBoardInfo(i, &info);
            }
            catch (VTLExc &e)
            {
                // As in Ostrel: an index whose record throws is not listed.
                ReportException(e);
                continue;
            }
            if (info.dwUsable == 0)
                continue;
            CliBoard board;
            board.nPosition = static_cast<std::uint32_t>(m_boards.size());
            board.nIndex = i;
            board.dwIoAddress = info.dwIoAddress;
            board.strType = BoardTypeText(info);
            m_boards.push_back(board);
        }
    }
    catch (VTLExc &e)
    {
        return ReportException(e);
    }
    return kExitDone;
}

UsbBoard *CCliSession::OpenBoard(const CliBoard &board)
{
    ReleaseBoard();
    m_pBoard = m_pLoader->OpenBoard(board.nIndex);
    return m_pBoard;
}

int CCliSession::ReleaseBoard()
{
    if (!m_pBoard)
        return kExitDone;
    UsbBoard *pBoard = m_pBoard;
    m_pBoard = nullptr;
    try
    {
        // Its status is not part of the library's promise, so only a throw is a failure.
        CVtlBoard(pBoard).ReleaseBoard();
    }
    catch (VTLExc &e)
    {
        // The library dropped the board all the same; it is not used again.
        return ReportException(e);
    }
    return kExitDone;
}

int CCliSession::Close()
{
    const int nRelease = ReleaseBoard();
    if (!m_bLibraryOpen)
        return nRelease;
    m_bLibraryOpen = false;
    try
    {
        m_pLoader->Close();
    }
    catch (VTLExc &e)
    {
        return ReportException(e);
    }
    return nRelease;
}

std::vector<const CliBoard *> CCliSession::Choose(const CliBoardChoice &choice) const
{
    std::vector<const CliBoard *> chosen;
    if (m_boards.empty())
    {
        CliOutput().Err(TorvaneText::kNoBoards);
        return chosen;
    }
    switch (choice.nKind)
    {
    case CliBoardChoice::kFirst:
        chosen.push_back(&m_boards.front());
        break;
    case CliBoardChoice::kLibraryFirst:
        // Torvane opens the library's board 0 whatever the other records say; when that one
        // is not listed, taking another board would act on one that Torvane never shows.
        if (m_boards.front().nIndex == 0)
            chosen.push_back(&m_boards.front());
        else
            CliOutput().Err(CliText::kLibraryBoardUnusable);
        break;
    case CliBoardChoice::kAll:
        for (const CliBoard &board : m_boards)
            chosen.push_back(&board);
        break;
    case CliBoardChoice::kIndex:
        if (choice.nValue < m_boards.size())
            chosen.push_back(&m_boards[choice.nValue]);
        else
            CliOutput().Err(CliFormat(CliText::kNoBoardAtIndex, choice.nValue,
                                      static_cast<unsigned>(m_boards.size())));
        break;
    case CliBoardChoice::kIo: {
        const std::string strAddress = CliFormat(OstrelText::kIoAddress, choice.nValue);
        std::string strIndexes;
        for (const CliBoard &board : m_boards)
        {
            if (board.dwIoAddress != choice.nValue)
                continue;
            chosen.push_back(&board);
            strIndexes += (strIndexes.empty() ? "" : ", ") + std::to_string(board.nPosition);
        }
        // The address is a setting of the board, not its identity: two boards may share it.
        if (chosen.size() > 1)
        {
            CliOutput().Err(CliFormat(CliText::kBoardsAtIo, static_cast<unsigned>(chosen.size()),
                                      strAddress.c_str(), strIndexes.c_str()));
            chosen.clear();
        }
        else if (chosen.empty())
            CliOutput().Err(CliFormat(CliText::kNoBoardAtIo, strAddress.c_str()));
        break;
    }
    }
    return chosen;
}

CliResult CliInterrupted()
{
    return {kExitInterrupted, std::string()};
}

CliResult CCliSession::RunOne(const CliBoard &board, const CliCommandFn &command, int &nRelease)
{
    CliResult result{kExitDone, std::string()};
    try
    {
        UsbBoard *pBoard = OpenBoard(board);
        if (!pBoard)
        {
            CliOutput().Err(std::string(m_texts.pszLocked) + "\n" + board.Describe() +
                            " is locked by another program.");
            result = {kExitNoBoard, std::string()};
        }
        else
        {
            CVtlBoard guarded(pBoard);
            result = command(guarded, board);
        }
    }
    catch (VTLExc &e)
    {
        result = {ReportException(e), std::string()};
    }
    nRelease = ReleaseBoard();
    return result;
}

int CCliSession::Run(const std::vector<const CliBoard *> &chosen, bool bAll,
                     const CliCommandFn &command)
{
    if (chosen.empty())
        return kExitNoBoard;
    int nWorst = kExitDone;
    for (const CliBoard *pBoard : chosen)
    {
        if (CliBreak::Requested())
        {
            if (bAll)
                CliOutput().Out(pBoard->Describe() + ": not started (interrupted)");
            nWorst = CliWorse(nWorst, kExitInterrupted);
            continue;
        }
        if (bAll)
            CliOutput().SetErrPrefix(pBoard->Describe() + ": ");
        int nRelease = kExitDone;
        const CliResult result = RunOne(*pBoard, command, nRelease);
        CliOutput().SetErrPrefix(std::string());
        // A release that failed after a command that succeeded is still a failure of the run,
        // but the command's result is shown: the board was changed.
        std::string strLine;
        if (result.nCode == kExitDone)
            strLine = CliOneLine(result.strText.empty() ? CliText::kSummaryDone : result.strText);
        else if (result.nCode == kExitInterrupted)
            strLine = CliText::kSummaryStopped;
        else
            strLine =
                CliFormat(CliText::kSummaryFailed, result.nCode, CliExitMeaning(result.nCode));
        if (nRelease != kExitDone)
            strLine +=
                CliFormat(CliText::kSummaryReleaseFailed, nRelease, CliExitMeaning(nRelease));
        if (bAll)
            CliOutput().Out(pBoard->Describe() + ": " + strLine);
        else if (result.nCode == kExitDone && !result.strText.empty())
            CliOutput().Out(result.strText);
        nWorst = CliWorse(nWorst, CliWorse(result.nCode, nRelease));
    }
    return nWorst;
}
