// afxcmn.h - common-control wrappers: progress bar and list view, one message per call.
#pragma once

#include "afxwin.h"

class CProgressCtrl : public CWnd
{
public:
    // Returns the previous position.
    int SetPos(int nPos) { return static_cast<int>(::SendMessageA(m_hWnd, PBM_SETPOS, nPos, 0)); }
};

class CListCtrl : public CWnd
{
public:
    int InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    int InsertItem(int nItem, LPCSTR lpszItem);
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText);
    BOOL DeleteAllItems()
    {
        return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0));
    }
    // Mask 0 in wParam, as the framework sends it: every extended style is replaced.
    DWORD SetExtendedStyle(DWORD dwNewStyle)
    {
        return static_cast<DWORD>(
            ::SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    int GetNextItem(int nItem, int nFlags) const
    {
        return static_cast<int>(::SendMessageA(m_hWnd, LVM_GETNEXTITEM, nItem, nFlags));
    }
};
