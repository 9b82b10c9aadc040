// OstrelDlg.h - Ostrel's main dialog: board list, refresh thread and EEPROM commands.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <list>

#include "BoardEntry.h"
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
    explicit COstrelDlg(CWnd *pParent = NULL);
    ~COstrelDlg() override;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam) override;
    afx_msg void OnPaint() override;
    afx_msg HCURSOR OnQueryDragIcon() override;
    afx_msg LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
    afx_msg void OnUpdate();
    afx_msg void OnSave();
    afx_msg void OnVerify();
    afx_msg void OnErase();
    afx_msg void OnClickBoardList(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnHourglass();
    DECLARE_MESSAGE_MAP()

    // Frame (OstrelDlg.cpp, RefreshThread.cpp)
    void EnableButtons(bool bEnable);
    int PumpMessages();
    static DWORD WINAPI RefreshThreadProc(LPVOID pParam);
    DWORD RefreshThread();
    void PostHourglass();
    void CloseLibrary();
    bool IsClosing() const;

    // Board list (BoardList.cpp)
    void OpenLibrary();
    CString OpenLibraryQuietly();
    void EnumerateBoards();
    void FillBoardList();
    void SelectBoard(std::uint32_t nPosition);
    void CloseBoards();
    void ClearBoardList();
    void HighlightSelected();

    // Commands (EepromCommands.cpp)
    bool CheckBoardLock();
    void RunCommand(void (COstrelDlg::*pfnBody)(UsbBoard *pBoard));
    bool ChooseFile(BOOL bOpen, DWORD dwFlags, CString &strPath);
    bool ChooseImageFile(UsbBoard *pBoard, CString &strPath);
    void DoErase(UsbBoard *pBoard);
    void DoSave(UsbBoard *pBoard);
    void DoUpdate(UsbBoard *pBoard);
    void DoVerify(UsbBoard *pBoard);

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

    // Manual-reset; set when the dialog is being torn down, so that a refresh stops
    // at once and never reopens the library after the closing steps.
    HANDLE m_hClosingEvent;
    // Thread that constructed the dialog and runs its window, and the refresh thread.
    DWORD m_dwGuiThreadId;
    DWORD m_dwRefreshThreadId;
    // Pause of a refresh with the library closed; only tests shorten it.
    DWORD m_nRefreshPauseMs;
};
