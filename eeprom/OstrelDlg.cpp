// OstrelDlg.cpp - construction, start-up, painting and teardown of Ostrel's main dialog.
#include "OstrelDlg.h"

#include "AboutDlg.h"
#include "DialogLock.h"
#include "MainDialog.h"
#include "OstrelText.h"
#include "Splash.h"

#include <cstring>

using namespace OstrelText;

namespace
{
constexpr DWORD kRefreshPauseMs = 10000;
} // namespace

COstrelDlg::COstrelDlg(CWnd *pParent)
    : CDialog(IDD_OSTREL_DIALOG, pParent), m_pSelected(nullptr), m_loader(), m_nBoards(0),
      m_bArrival(0), m_bNodesChanged(0), m_bRemoval(0), m_bHourglass(0), m_hQuitEvent(nullptr),
      m_hRefreshEvent(nullptr), m_hThread(nullptr), m_hIcon(nullptr), m_hClosingEvent(nullptr),
      m_dwRefreshThreadId(0), m_nRefreshPauseMs(kRefreshPauseMs), m_bRemembered(false),
      m_dwRememberedIo(0), m_nRememberedRow(-1), m_bCheckPending(false)
{
    InitializeCriticalSection(&m_cs);
    // Test programs run the dialog without an application object.
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                          : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_hQuitEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hRefreshEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hClosingEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hThread =
        CreateThread(nullptr, 0, &COstrelDlg::RefreshThreadProc, this, 0, &m_dwRefreshThreadId);
}

COstrelDlg::~COstrelDlg()
{
    // From here on a refresh in progress stops at its next step.
    SetEvent(m_hClosingEvent);
    CloseBoards();
    ClearBoardList();
    CloseLibrary();
    SetEvent(m_hQuitEvent);
    // A refresh may be showing the open failure, owned by the window that is gone.
    while (m_hThread && !WaitServingSentMessages(m_hThread, 200))
        CloseThreadMessageBoxes(m_dwRefreshThreadId);
    CloseHandle(m_hQuitEvent);
    CloseHandle(m_hRefreshEvent);
    CloseHandle(m_hThread);
    CloseHandle(m_hClosingEvent);
    DeleteCriticalSection(&m_cs);
}

void COstrelDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VERIFY, m_btnVerify);
    DDX_Control(pDX, IDC_ERASE, m_btnErase);
    DDX_Control(pDX, IDC_SAVE, m_btnSave);
    DDX_Control(pDX, IDC_UPDATE, m_btnUpdate);
    DDX_Control(pDX, IDC_BOARDS, m_lstBoards);
}

// clang-format off
BEGIN_MESSAGE_MAP(COstrelDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_MESSAGE(WM_DEVICECHANGE, &COstrelDlg::OnDeviceChange)
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_UPDATE, &COstrelDlg::OnUpdate)
    ON_BN_CLICKED(IDC_SAVE, &COstrelDlg::OnSave)
    ON_BN_CLICKED(IDC_VERIFY, &COstrelDlg::OnVerify)
    ON_BN_CLICKED(IDC_ERASE, &COstrelDlg::OnErase)
    ON_NOTIFY(NM_RCLICK, IDC_BOARDS, &COstrelDlg::OnClickBoardList)
    ON_NOTIFY(NM_CLICK, IDC_BOARDS, &COstrelDlg::OnClickBoardList)
    ON_COMMAND(ID_HOURGLASS, &COstrelDlg::OnHourglass)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_BOARDS, &COstrelDlg::OnItemChangedBoardList)
    ON_MESSAGE(WM_CHECK_SELECTION, &COstrelDlg::OnCheckSelection)
    ON_REGISTERED_MESSAGE(CTaskbarButton::CreatedMessage(), &COstrelDlg::OnTaskbarButtonCreated)
END_MESSAGE_MAP()
// clang-format on

LRESULT COstrelDlg::OnTaskbarButtonCreated(WPARAM, LPARAM)
{
    m_taskbar.Attach(m_hWnd);
    return 0;
}

BOOL COstrelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CRect rcList;
    m_lstBoards.GetClientRect(&rcList);
    std::uint32_t nSum = 0;
    for (const char *pszHeader : kColumnHeaders)
        nSum += static_cast<std::uint32_t>(strlen(pszHeader));
    const std::uint32_t nClientWidth = static_cast<std::uint32_t>(rcList.right - rcList.left);
    for (int i = 0; i < 3; ++i)
    {
        const std::uint32_t nWidth =
            nClientWidth * static_cast<std::uint32_t>(strlen(kColumnHeaders[i])) / nSum;
        m_lstBoards.InsertColumn(i, kColumnHeaders[i], LVCFMT_LEFT, static_cast<int>(nWidth));
    }

    CSplash splash;
    ShowSplash(splash, IDD_SPLASH, this);

    OpenLibrary();
    EnumerateBoards();
    FillBoardList();
    SelectBoard(0);

    splash.ShowWindow(SW_HIDE);
    EnableButtons(m_nBoards > 0);
    AppendAboutItem(*this, IDS_ABOUTBOX);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

void COstrelDlg::OnSysCommand(UINT nID, LPARAM lParam)
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

void COstrelDlg::OnPaint()
{
    if (IsIconic())
        PaintMinimisedIcon(*this, m_hIcon);
    else
        CDialog::OnPaint();
}

HCURSOR COstrelDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void COstrelDlg::EnableButtons(bool bEnable)
{
    for (CButton *pButton : {&m_btnVerify, &m_btnErase, &m_btnSave, &m_btnUpdate})
        pButton->EnableWindow(bEnable);
}

int COstrelDlg::PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    return 0;
}

// The library ends every board here; a throw changes nothing about that.
void COstrelDlg::CloseLibrary()
{
    try
    {
        m_loader.Close();
    }
    catch (VTLExc &)
    {
    }
}

bool COstrelDlg::IsClosing() const
{
    return WaitForSingleObject(m_hClosingEvent, 0) == WAIT_OBJECT_0;
}
