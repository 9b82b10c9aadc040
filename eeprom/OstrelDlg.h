// OstrelDlg.h - Ostrel's main dialog: board list, refresh thread and EEPROM commands.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <list>
#include <string>

#include "BoardEntry.h"
#include "TaskbarButton.h"
#include "VtlDrvUsbLoad.h"
#include "resource.h"

class COstrelDlg : public CDialog
{
public:
    enum
    {
        IDD = IDD_OSTREL_DIALOG
    };

    // Loads the driver library (throws VTLExc after telling the user when it cannot)
    // and starts the refresh thread.
    explicit COstrelDlg(CWnd *pParent = nullptr);
    ~COstrelDlg() override;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
    afx_msg void OnUpdate();
    afx_msg void OnSave();
    afx_msg void OnVerify();
    afx_msg void OnErase();
    afx_msg void OnClickBoardList(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnHourglass();
    afx_msg void OnItemChangedBoardList(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg LRESULT OnCheckSelection(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnTaskbarButtonCreated(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    // Posted by the refresh thread after a refill, and by the list when a row lost its highlight:
    // the GUI thread then brings m_pSelected and the highlighted row back into agreement.
    enum
    {
        WM_CHECK_SELECTION = WM_APP + 1
    };

    // Frame (OstrelDlg.cpp, RefreshThread.cpp)
    void EnableButtons(bool bEnable);
    int PumpMessages();
    static DWORD WINAPI RefreshThreadProc(LPVOID pParam);
    DWORD RefreshThread();
    void PostToDialog(UINT nMessage, WPARAM wParam);
    void CloseLibrary();
    bool IsClosing() const;

    // Board list (BoardList.cpp)
    void OpenLibrary();
    CString OpenLibraryQuietly();
    void EnumerateBoards();
    void FillBoardList();
    void CloseBoards();
    void ClearBoardList();

    // Selection, by click, keys and across refreshes (BoardSelection.cpp)
    void SelectBoard(std::uint32_t nPosition);
    void HighlightSelected();
    BoardEntry *EntryAt(int nRow) const;
    int RowOf(const BoardEntry *pEntry) const; // -1 when not listed
    void RememberSelection();
    BoardEntry *RememberedOrFirst() const;

    // Commands (EepromCommands.cpp)
    bool CheckBoardLock();
    void RunCommand(void (COstrelDlg::*pfnBody)(UsbBoard *pBoard));
    bool ChooseFile(BOOL bOpen, DWORD dwFlags, CString &strPath);
    bool ChooseImageFile(UsbBoard *pBoard, CString &strPath);
    void DoErase(UsbBoard *pBoard);
    void DoSave(UsbBoard *pBoard);
    void DoUpdate(UsbBoard *pBoard);
    void DoVerify(UsbBoard *pBoard);
    // A box that tells of the command's failure, with the taskbar button red while it is open.
    int ErrorBox(LPCSTR pszText, LPCSTR pszCaption, UINT nType);
    // One driver operation, with the taskbar button busy for its length.
    template <class Op> auto Busy(Op op)
    {
        CTaskbarState busy(m_taskbar, TBPF_INDETERMINATE);
        return op();
    }

    CButton m_btnVerify;
    CButton m_btnErase;
    CButton m_btnSave;
    CButton m_btnUpdate;
    CListCtrl m_lstBoards;
    std::list<BoardEntry *> m_boards;
    BoardEntry *m_pSelected;
    CVtlDrvUsbLoad m_loader;
    CRITICAL_SECTION m_cs;
    std::uint32_t m_nBoards;
    BYTE m_bArrival;
    BYTE m_bNodesChanged;
    BYTE m_bRemoval;
    BYTE m_bHourglass;
    HANDLE m_hQuitEvent;
    HANDLE m_hRefreshEvent;
    HANDLE m_hThread;
    HICON m_hIcon;
    // Used on the GUI thread only, where the commands run.
    CTaskbarButton m_taskbar;

    // Manual-reset; set when the dialog is being torn down, so that a refresh stops
    // at once and never reopens the library after the closing steps.
    HANDLE m_hClosingEvent;
    // The refresh thread, whose message boxes the teardown may have to close.
    DWORD m_dwRefreshThreadId;
    // Pause of a refresh with the library closed; only tests shorten it.
    DWORD m_nRefreshPauseMs;

    // Board type and I/O address of the entry selected when the last refresh began, to select it
    // again after the refill; guarded by m_cs.
    bool m_bRemembered;
    std::string m_strRememberedType;
    std::uint32_t m_dwRememberedIo;
    int m_nRememberedRow;
    // A refill whose selection the GUI thread has not checked yet; guarded by m_cs.
    bool m_bCheckPending;
};
