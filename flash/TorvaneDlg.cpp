// TorvaneDlg.cpp - construction, start-up, teardown and the GUI-thread handlers of the main dialog.
#include "TorvaneDlg.h"

#include <afxdlgs.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "AboutDlg.h"
#include "DialogLock.h"
#include "DriverText.h"
#include "MainDialog.h"
#include "TorvaneText.h"
#include "Splash.h"
#include "TaskbarButton.h"
#include "VtlDrvUsbImports.h"

using namespace TorvaneText;

namespace
{
// Nine digits always fit the 32-bit number that "%d" reads from a version box.
constexpr UINT kVersionDigits = 9;
} // namespace

CTorvaneDlg::CTorvaneDlg(CWnd *pParent)
    : CDialog(IDD_TORVANE_DIALOG, pParent), m_hIcon(nullptr), m_pBoard(nullptr), m_hThread(nullptr),
      m_hQuitEvent(nullptr), m_hEraseEvent(nullptr), m_hEraseBitstreamEvent(nullptr),
      m_hProgramEvent(nullptr), m_nLastPercent(0), m_ftStart(0), m_nLastSeconds(0),
      m_nFamily(FAMILY_SPARTAN), m_bClosing(false), m_nTaskbarButtons(0), m_pTaskbar(nullptr)
{
    InitializeCriticalSection(&m_cs);
    // Test programs run the dialog without an application object.
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                          : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_hQuitEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hEraseEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hEraseBitstreamEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hProgramEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hThread = CreateThread(nullptr, 0, WorkerThreadProc, this, 0, nullptr);
}

CTorvaneDlg::~CTorvaneDlg()
{
    SetEvent(m_hQuitEvent);
    // The worker finishes its command first; window calls it sent before the window went away
    // are still answered here, so it cannot stall on this thread.
    if (m_hThread != nullptr)
        WaitServingSentMessages(m_hThread, INFINITE);
    for (HANDLE h :
         {m_hQuitEvent, m_hEraseEvent, m_hEraseBitstreamEvent, m_hProgramEvent, m_hThread})
    {
        if (h != nullptr)
            CloseHandle(h);
    }
    try
    {
        VtlLibrary::Close();
    }
    catch (VTLExc &e)
    {
        // The window is gone; the box has no owner, and the program still ends normally.
        ShowRecord(e);
    }
    DeleteCriticalSection(&m_cs);
}

void CTorvaneDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VIRTEX, m_btnVirtex);
    DDX_Control(pDX, IDC_SPARTAN, m_btnSpartan);
    DDX_Control(pDX, IDC_VER_MINOR, m_edtVerMinor);
    DDX_Control(pDX, IDC_VER_MAJOR, m_edtVerMajor);
    DDX_Control(pDX, IDC_TIME, m_edtTime);
    DDX_Control(pDX, IDC_PERCENT, m_edtPercent);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_ERASE_BITSTREAM, m_btnEraseBitstream);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_INFO, m_edtInfo);
    DDX_Control(pDX, IDC_FILE, m_edtFile);
    DDX_Control(pDX, IDC_PROGRAM, m_btnProgram);
    DDX_Control(pDX, IDC_BROWSE, m_btnBrowse);
    DDX_Control(pDX, IDC_ERASE, m_btnErase);
}

BEGIN_MESSAGE_MAP(CTorvaneDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_ERASE, &CTorvaneDlg::OnErase)
ON_BN_CLICKED(IDC_BROWSE, &CTorvaneDlg::OnBrowse)
ON_BN_CLICKED(IDC_PROGRAM, &CTorvaneDlg::OnProgram)
ON_BN_CLICKED(IDC_ERASE_BITSTREAM, &CTorvaneDlg::OnEraseBitstream)
ON_BN_CLICKED(IDC_SPARTAN, &CTorvaneDlg::OnSpartan)
ON_BN_CLICKED(IDC_VIRTEX, &CTorvaneDlg::OnVirtex)
ON_REGISTERED_MESSAGE(CTaskbarButton::CreatedMessage(), &CTorvaneDlg::OnTaskbarButtonCreated)
END_MESSAGE_MAP()

BOOL CTorvaneDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Typing only: stored settings still load whole.
    m_edtVerMajor.SetLimitText(kVersionDigits);
    m_edtVerMinor.SetLimitText(kVersionDigits);

    AppendAboutItem(*this, IDS_ABOUTBOX);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    CSplash splash;
    ShowSplash(splash, IDD_SPLASH, this);

    LoadSettings();

    // A failing or throwing driver ends start-up with its text; the splash goes first.
    auto fail = [&](const CString &strText, bool bClose) {
        splash.ShowWindow(SW_HIDE);
        MessageBox(strText, kErrorCaption, MB_OK);
        if (bClose)
            VtlLibrary::Close();
        EndDialog(IDCANCEL);
        return FALSE;
    };
    try
    {
        std::uint32_t nCode = VtlLibrary::Open(0);
        if (nCode != 0)
        {
            CString strText;
            strText.Format(kOpenLibraryFailed, CopyDriverText(VtlLibrary::GetError(nCode)).c_str());
            return fail(strText, false);
        }
        if (VtlLibrary::GetBoardCount() == 0)
            return fail(kNoBoards, true);
        m_pBoard = VtlLibrary::OpenBoard(0);
        if (m_pBoard == nullptr)
            return fail(kNoInterface, true);
        CVtlBoard(m_pBoard).SetProgressCallback(ProgressProc, this);
    }
    catch (VTLExc &e)
    {
        m_pBoard = nullptr;
        splash.ShowWindow(SW_HIDE);
        ShowRecord(e);
        EndDialog(IDCANCEL);
        return FALSE;
    }

    if (RefreshFlashInfo() == kFlashQueryNoAccess)
    {
        // The stored family may be the only one the board's settings shut out; closing then
        // would leave no way to switch family short of editing the registry.
        const bool bOtherReachable = QueryOtherFamily() != kFlashQueryNoAccess;
        splash.ShowWindow(SW_HIDE);
        MessageBox(kFlashNotAccessible, nullptr, MB_OK | MB_ICONERROR);
        if (!bOtherReachable)
            EndDialog(IDCANCEL);
    }
    splash.ShowWindow(SW_HIDE);
    return TRUE;
}

// One query for the family not in effect; the family and the empty box stay as they were.
int CTorvaneDlg::QueryOtherFamily()
{
    const FpgaFamily nStored = m_nFamily;
    m_nFamily = nStored == FAMILY_SPARTAN ? FAMILY_VIRTEX : FAMILY_SPARTAN;
    const int nResult = RefreshFlashInfo();
    m_nFamily = nStored;
    m_edtInfo.SetWindowText("");
    return nResult;
}

int CTorvaneDlg::RefreshFlashInfo()
{
    if (m_pBoard == nullptr)
        return 1;
    std::vector<char> buffer(kFlashInfoSize, '\0');
    std::uint32_t nSize = kFlashInfoSize;
    int nResult;
    try
    {
        nResult = CVtlBoard(m_pBoard).GetFlashInfo(m_nFamily, buffer.data(), &nSize);
    }
    catch (VTLExc &e)
    {
        m_edtInfo.SetWindowText("");
        ShowRecord(e);
        return -1;
    }
    if (nResult != 0)
    {
        m_edtInfo.SetWindowText("");
        return nResult;
    }
    // The driver may fill the whole buffer without a terminating NUL.
    m_edtInfo.SetWindowText(CopyDriverText(buffer.data(), buffer.size()).c_str());
    return 0;
}

void CTorvaneDlg::ShowRecord(const VTLExc &e)
{
    MessageBox(DriverMessage(e).c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
}

void CTorvaneDlg::PostNcDestroy()
{
    m_bClosing = true;
    CDialog::PostNcDestroy();
}

void CTorvaneDlg::OnOK()
{
    SaveSettings();
    CDialog::OnOK();
}

void CTorvaneDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if (IsAboutCommand(nID))
    {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    }
    else
    {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CTorvaneDlg::OnPaint()
{
    if (IsIconic())
        PaintMinimisedIcon(*this, m_hIcon);
    else
        CDialog::OnPaint();
}

HCURSOR CTorvaneDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CTorvaneDlg::OnBrowse()
{
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_OVERWRITEPROMPT, kFileFilter, nullptr, 0, TRUE);
    if (dlg.DoModal() == IDOK)
        m_edtFile.SetWindowText(dlg.GetPathName());
}

// Everything goes grey before the event is set, so no family switch or path copy from this
// thread can overlap the command.
void CTorvaneDlg::OnErase()
{
    EnableButtons(false);
    EnableInputs(false);
    SetEvent(m_hEraseEvent);
}

void CTorvaneDlg::OnProgram()
{
    m_edtFile.GetWindowText(m_strFile);
    EnableButtons(false);
    EnableInputs(false);
    SetEvent(m_hProgramEvent);
}

void CTorvaneDlg::OnEraseBitstream()
{
    EnableButtons(false);
    EnableInputs(false);
    SetEvent(m_hEraseBitstreamEvent);
}

void CTorvaneDlg::OnSpartan()
{
    m_nFamily = m_btnSpartan.GetCheck() == BST_CHECKED ? FAMILY_SPARTAN : FAMILY_VIRTEX;
    RefreshFlashInfo();
}

void CTorvaneDlg::OnVirtex()
{
    m_nFamily = m_btnVirtex.GetCheck() == BST_CHECKED ? FAMILY_VIRTEX : FAMILY_SPARTAN;
    RefreshFlashInfo();
}

// The list is the worker's: it is made on the worker's thread at its next command.
LRESULT CTorvaneDlg::OnTaskbarButtonCreated(WPARAM, LPARAM)
{
    ++m_nTaskbarButtons;
    return 0;
}

void CTorvaneDlg::EnableButtons(bool bEnable)
{
    for (CWnd *pCtl : {&m_btnErase, &m_btnEraseBitstream, &m_btnProgram, &m_btnOK})
        pCtl->EnableWindow(bEnable ? TRUE : FALSE);
}

void CTorvaneDlg::EnableInputs(bool bEnable)
{
    for (CWnd *pCtl : std::initializer_list<CWnd *>{&m_btnSpartan, &m_btnVirtex, &m_btnBrowse,
                                                    &m_edtFile, &m_edtVerMajor, &m_edtVerMinor})
        pCtl->EnableWindow(bEnable ? TRUE : FALSE);
}
