// BoardSelection.cpp - the selected board: set by a click, by keys or by the program, and
// following the highlighted row across refreshes too.
#include "OstrelDlg.h"

#include "DialogLock.h"
#include "DriverText.h"

#include <iterator>

namespace
{
std::string TypeOf(const BoardEntry &entry)
{
    return BoardTypeText(entry.info);
}
} // namespace

BoardEntry *COstrelDlg::EntryAt(int nRow) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_boards.size())
        return nullptr;
    auto it = m_boards.begin();
    std::advance(it, nRow);
    return *it;
}

void COstrelDlg::SelectBoard(std::uint32_t nPosition)
{
    CDialogLock lock(m_cs);
    if (nPosition >= m_boards.size())
        return;
    m_pSelected = EntryAt(static_cast<int>(nPosition));
    HighlightSelected();
}

// Marks the selected entry's row; its row is its position, which differs from its
// board index once a lower index was skipped.
void COstrelDlg::HighlightSelected()
{
    int nRow = 0;
    for (BoardEntry *pEntry : m_boards)
    {
        if (pEntry == m_pSelected)
        {
            m_lstBoards.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED,
                                     LVIS_SELECTED | LVIS_FOCUSED);
            return;
        }
        ++nRow;
    }
}

void COstrelDlg::OnClickBoardList(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    // A refresh holding the lock is rebuilding the list: the click has nothing to
    // select, and waiting here would stall the messages that refresh sends.
    if (!TryEnterCriticalSection(&m_cs))
        return;
    if (BoardEntry *pEntry = EntryAt(reinterpret_cast<NMITEMACTIVATE *>(pNMHDR)->iItem))
        m_pSelected = pEntry;
    if (m_pSelected)
        HighlightSelected();
    LeaveCriticalSection(&m_cs);
}

// Keys, type-ahead and clicks move the highlight; the board the commands act on follows it.
void COstrelDlg::OnItemChangedBoardList(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const NMLISTVIEW *pItem = reinterpret_cast<NMLISTVIEW *>(pNMHDR);
    if (!(pItem->uChanged & LVIF_STATE))
        return;
    const bool bWas = (pItem->uOldState & LVIS_SELECTED) != 0;
    const bool bIs = (pItem->uNewState & LVIS_SELECTED) != 0;
    if (bWas && !bIs)
    {
        // Perhaps no row is highlighted any more (Ctrl+Space): checked once the list is done.
        PostMessage(WM_CHECK_SELECTION);
        return;
    }
    if (bWas || !bIs)
        return;
    // The refresh thread holds the lock while it fills or clears the list and sends this
    // meanwhile; waiting would stall it. It has the selection checked once it is done.
    if (!TryEnterCriticalSection(&m_cs))
        return;
    if (BoardEntry *pEntry = EntryAt(pItem->iItem))
        m_pSelected = pEntry;
    LeaveCriticalSection(&m_cs);
}

// On the refresh thread, holding the lock, before the boards are dropped.
void COstrelDlg::RememberSelection()
{
    // Nothing is selected after a refill until the GUI thread has checked: the choice from
    // before that refill still stands.
    if (!m_pSelected && m_bCheckPending)
        return;
    m_bRemembered = m_pSelected != nullptr;
    if (m_pSelected)
    {
        m_strRememberedType = TypeOf(*m_pSelected);
        m_dwRememberedIo = m_pSelected->info.dwIoAddress;
        m_nRememberedRow = RowOf(m_pSelected);
    }
}

int COstrelDlg::RowOf(const BoardEntry *pEntry) const
{
    int nRow = 0;
    for (const BoardEntry *p : m_boards)
    {
        if (p == pEntry)
            return nRow;
        ++nRow;
    }
    return -1;
}

// The board selected before the refresh when it is listed again (same type and I/O address),
// else the first row, as start-up does; none when the list is empty. Neither type nor address
// tells two such boards apart, so of several matches the one in the same row is kept.
BoardEntry *COstrelDlg::RememberedOrFirst() const
{
    if (m_bRemembered)
    {
        BoardEntry *pFirstMatch = nullptr;
        int nRow = 0;
        for (BoardEntry *pEntry : m_boards)
        {
            if (pEntry->info.dwIoAddress == m_dwRememberedIo &&
                TypeOf(*pEntry) == m_strRememberedType)
            {
                if (nRow == m_nRememberedRow)
                    return pEntry;
                if (!pFirstMatch)
                    pFirstMatch = pEntry;
            }
            ++nRow;
        }
        if (pFirstMatch)
            return pFirstMatch;
    }
    return m_boards.empty() ? nullptr : m_boards.front();
}

LRESULT COstrelDlg::OnCheckSelection(WPARAM, LPARAM)
{
    // A refresh step holds the lock: the refill that ends it posts this again.
    if (!TryEnterCriticalSection(&m_cs))
        return 0;
    if (BoardEntry *pHighlighted = EntryAt(m_lstBoards.GetNextItem(-1, LVNI_SELECTED)))
        m_pSelected = pHighlighted; // picked while the refresh held the lock
    else if (!m_pSelected)
        m_pSelected = RememberedOrFirst();
    m_bCheckPending = false;
    if (m_pSelected)
        HighlightSelected();
    LeaveCriticalSection(&m_cs);
    return 0;
}
