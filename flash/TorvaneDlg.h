// TorvaneDlg.h - Torvane's main dialog: the board, the command worker, progress and settings.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <atomic>

#include "VtlDrvUsb.h"
#include "resource.h"

class CTaskbarButton;

class CTorvaneDlg : public CDialog
{
public:
    enum
    {
        IDD = IDD_TORVANE_DIALOG
    };

    // Creates the lock, the four events and the worker, which waits at once.
    explicit CTorvaneDlg(CWnd *pParent = nullptr);
    ~CTorvaneDlg() override;

    // Queries the flash contents for the current family into the information box.
    int RefreshFlashInfo();

    // Settings (Settings.cpp)
    void LoadSettings();
    void SaveSettings();

    // Erase, Erase Bitstream, Program and OK, in that order.
    void EnableButtons(bool bEnable);
    // The family buttons, "..." and the path and version boxes: grey while a command may use the
    // board or read them, so the GUI thread never queries the board or writes the path meanwhile.
    void EnableInputs(bool bEnable);

    // Worker (FlashWorker.cpp)
    int WorkerThread();
    static DWORD WINAPI WorkerThreadProc(LPVOID pParam);

    // Progress display (ProgressDisplay.cpp)
    void ResetProgress();
    int OnProgress(int nPercent);
    static int ProgressProc(std::uint32_t, int nPercent, std::uint32_t, void *pContext);

protected:
    // Frame (TorvaneDlg.cpp)
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The window is gone: the worker must not start another query for it.
    void PostNcDestroy() override;

    // Start-up: the flash query for the family not in effect, leaving the information box empty.
    int QueryOtherFamily();

    // A record thrown by the driver: its message in an error box, as the user's only clue.
    void ShowRecord(const VTLExc &e);

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnErase();
    afx_msg void OnBrowse();
    afx_msg void OnProgram();
    afx_msg void OnEraseBitstream();
    afx_msg void OnSpartan();
    afx_msg void OnVirtex();
    afx_msg LRESULT OnTaskbarButtonCreated(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    // Worker (FlashWorker.cpp): one command; nIndex is its wait index (0 erase, 1 program,
    // 2 erase bitstream).
    void RunCommand(int nIndex, CTaskbarButton &taskbar);
    int RunBoardOperation(int nIndex);
    void ReadVersion(CEdit &edt, LPCSTR pszDefault, int &nValue);

    // Progress display (ProgressDisplay.cpp): current time as a FILETIME count (UTC); tests
    // replace the clock.
    virtual ULONGLONG GetCurrentTime64() const;

    CButton m_btnVirtex;
    CButton m_btnSpartan;
    CEdit m_edtVerMinor;
    CEdit m_edtVerMajor;
    CEdit m_edtTime;
    CEdit m_edtPercent;
    CProgressCtrl m_progress;
    CButton m_btnEraseBitstream;
    CButton m_btnOK;
    CButton m_btnCancel;
    CEdit m_edtInfo;
    CEdit m_edtFile;
    CButton m_btnProgram;
    CButton m_btnBrowse;
    CButton m_btnErase;
    HICON m_hIcon;
    UsbBoard *m_pBoard;
    HANDLE m_hThread;
    HANDLE m_hQuitEvent;
    HANDLE m_hEraseEvent;
    HANDLE m_hEraseBitstreamEvent;
    HANDLE m_hProgramEvent;
    // Written by OnProgram before it sets the program event, and by the worker after the event;
    // the buttons and inputs stay grey in between, so the two never overlap.
    CString m_strFile;
    int m_nLastPercent;
    ULONGLONG m_ftStart;
    int m_nLastSeconds;
    FpgaFamily m_nFamily;
    CRITICAL_SECTION m_cs;
    // Set on the GUI thread once the window is destroyed, read by the worker.
    std::atomic<bool> m_bClosing;
    // Counts the shell's button messages; the worker gets the taskbar list anew, on its own
    // thread, when the count moved since its last command.
    std::atomic<unsigned> m_nTaskbarButtons;
    // The worker's taskbar button while it runs a command, else null; only the worker uses it.
    CTaskbarButton *m_pTaskbar;
};
