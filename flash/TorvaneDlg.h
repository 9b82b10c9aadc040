// TorvaneDlg.h - Torvane's main dialog: the board, the command worker, progress and settings.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include "VtlDrvUsb.h"
#include "resource.h"

class CTorvaneDlg : public CDialog
{
public:
    explicit CTorvaneDlg(CWnd *pParent = NULL);
    virtual ~CTorvaneDlg();

    enum
    {
        IDD = IDD_TORVANE_DIALOG
    };

    // Queries the flash contents for the current family into the information box.
    int RefreshFlashInfo();

    void LoadSettings();
    void SaveSettings();

    // Erase, Erase Bitstream, Program and OK, in that order.
    void EnableButtons(bool bEnable);
    // The family buttons, "..." and the path and version boxes: grey while a command may use the
    // board or read them, so the GUI thread never queries the board or writes the path meanwhile.
    void EnableInputs(bool bEnable);

    int WorkerThread();
    static DWORD WINAPI WorkerThreadProc(LPVOID pParam);

    void ResetProgress();
    int OnProgress(int nPercent);
    static int ProgressProc(std::uint32_t, int nPercent, std::uint32_t, void *pContext);

protected:
    virtual void DoDataExchange(CDataExchange *pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();

    // Current time as a FILETIME count (UTC); tests replace the clock.
    virtual ULONGLONG GetCurrentTime64() const;

    // Every message box of the tool, owned by the dialog; safe from any thread.
    int ShowMessage(LPCSTR pszText, LPCSTR pszCaption, UINT nType);
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
    DECLARE_MESSAGE_MAP()

    // One command of the worker; nIndex is its wait index (0 erase, 1 program, 2 erase bitstream).
    void RunCommand(int nIndex);
    int RunBoardOperation(int nIndex);
    void ReadVersion(CEdit &edt, LPCSTR pszDefault, int &nValue);
    CString GetFileCopy();

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
    CString m_strFile;
    int m_nLastPercent;
    ULONGLONG m_ftStart;
    int m_nLastSeconds;
    FpgaFamily m_nFamily;
    CRITICAL_SECTION m_cs;
    // Guards m_strFile only, held for a copy and never while a window call runs.
    CRITICAL_SECTION m_csFile;
};
