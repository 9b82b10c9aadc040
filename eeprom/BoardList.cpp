// BoardList.cpp - Ostrel's board entries, their list rows and the selection.
#include "OstrelDlg.h"

#include "DialogLock.h"
#include "DriverText.h"
#include "OstrelText.h"

#include <algorithm>
#include <new>

using namespace OstrelText;

void COstrelDlg::OpenLibrary()
{
    const CString strError = OpenLibraryQuietly();
    // Shown without the lock: on the refresh thread the box would otherwise keep the
    // GUI thread from taking it until the user answers.
    if (!strError.IsEmpty())
        MessageBox(strError, kErrorCaption, MB_OK | MB_ICONERROR);
}

// Opens the library and reads the board count; returns the text to show on failure.
CString COstrelDlg::OpenLibraryQuietly()
{
    CDialogLock lock(m_cs);
    m_nBoards = 0;
    CString strError;
    try
    {
        const std::uint32_t nCode =
            m_loader.Open(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(m_hWnd)));
        if (nCode != 0)
            strError.Format(kOpenFailed, CopyDriverText(m_loader.GetError(nCode)).c_str(),
                            static_cast<unsigned>(nCode));
        else
            m_nBoards = m_loader.GetBoardCount();
    }
    catch (VTLExc &e)
    {
        m_nBoards = 0;
        strError = DriverMessage(e).c_str();
    }
    return strError;
}

void COstrelDlg::EnumerateBoards()
{
    CDialogLock lock(m_cs);
    const std::uint32_t nIndexes = std::min(m_nBoards, kMaxBoardIndexes);
    for (std::uint32_t i = 0; i < nIndexes; ++i)
    {
        BoardEntry *pEntry = new (std::nothrow) BoardEntry;
        if (!pEntry)
            continue;
        pEntry->nIndex = i;
        try
        {
            pEntry->pBoard = m_loader.OpenBoard(i);
            m_loader.GetBoardInfo(i, &pEntry->info);
        }
        catch (VTLExc &)
        {
            // A library that throws here gives no usable record for this index.
            pEntry->info.dwUsable = 0;
        }
        if (pEntry->info.dwUsable == 0)
        {
            // Nobody would release a board handed out for a skipped index.
            if (pEntry->pBoard)
            {
                try
                {
                    CVtlBoard(pEntry->pBoard).ReleaseBoard();
                }
                catch (VTLExc &)
                {
                }
            }
            delete pEntry;
            continue;
        }
        try
        {
            m_boards.push_back(pEntry);
        }
        catch (...)
        {
            delete pEntry;
            throw;
        }
    }
}

void COstrelDlg::FillBoardList()
{
    CDialogLock lock(m_cs);
    m_lstBoards.DeleteAllItems();
    int nRow = 0;
    for (BoardEntry *pEntry : m_boards)
    {
        CString strAddress;
        strAddress.Format(kIoAddress, static_cast<unsigned>(pEntry->info.dwIoAddress));
        m_lstBoards.InsertItem(nRow, BoardTypeText(pEntry->info).c_str());
        m_lstBoards.SetItemText(nRow, 1, strAddress);
        m_lstBoards.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE);

        CString strVersion = kUnknownVersion;
        int nMajor = 0;
        int nMinor = 0;
        try
        {
            if (pEntry->pBoard && CVtlBoard(pEntry->pBoard).GetEepromVersion(&nMajor, &nMinor) == 0)
                strVersion.Format(kVersion, nMajor, nMinor);
        }
        catch (VTLExc &)
        {
        }
        m_lstBoards.SetItemText(nRow, 2, strVersion);
        ++nRow;
    }
}

void COstrelDlg::CloseBoards()
{
    CDialogLock lock(m_cs);
    for (BoardEntry *pEntry : m_boards)
    {
        if (!pEntry->pBoard)
            continue;
        try
        {
            CVtlBoard(pEntry->pBoard).ReleaseBoard();
        }
        catch (VTLExc &)
        {
            // The board is dropped all the same; the others still get released.
        }
    }
}

void COstrelDlg::ClearBoardList()
{
    CDialogLock lock(m_cs);
    if (::IsWindow(m_lstBoards.GetSafeHwnd()))
        m_lstBoards.DeleteAllItems();
    for (BoardEntry *&pEntry : m_boards)
    {
        delete pEntry;
        pEntry = nullptr;
    }
    m_boards.clear();
    m_pSelected = nullptr;
}
