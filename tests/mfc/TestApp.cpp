// TestApp.cpp - the test program's application object and helpers.
#include "MfcTestUtil.h"

#include "resource.h"

#include <commctrl.h>

CTestApp theApp;

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
ON_COMMAND(ID_APP_CMD, &CTestApp::OnAppCommand)
END_MESSAGE_MAP()

namespace
{
// The list view and progress classes must exist before the test dialogs are created.
struct CommonControls
{
    CommonControls()
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                                     ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
} g_commonControls;

BOOL CALLBACK CancelWindow(HWND hWnd, LPARAM)
{
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}
} // namespace

CWatchdog::CWatchdog(DWORD dwTimeoutMs)
    : m_dwThreadId(::GetCurrentThreadId()), m_dwTimeoutMs(dwTimeoutMs),
      m_hStop(::CreateEventA(NULL, TRUE, FALSE, NULL)),
      m_hThread(::CreateThread(NULL, 0, ThreadProc, this, 0, NULL))
{
}

CWatchdog::~CWatchdog()
{
    ::SetEvent(m_hStop);
    ::WaitForSingleObject(m_hThread, INFINITE);
    ::CloseHandle(m_hThread);
    ::CloseHandle(m_hStop);
}

DWORD WINAPI CWatchdog::ThreadProc(LPVOID pParam)
{
    CWatchdog *p = static_cast<CWatchdog *>(pParam);
    // Keeps cancelling: a dialog opened from a cancelled one must end too.
    while (::WaitForSingleObject(p->m_hStop, p->m_bFired ? 500 : p->m_dwTimeoutMs) == WAIT_TIMEOUT)
    {
        p->m_bFired = true;
        ::EnumThreadWindows(p->m_dwThreadId, CancelWindow, 0);
    }
    return 0;
}

void FlushMessages()
{
    MSG msg;
    for (int i = 0; i < 1000 && ::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE); ++i)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
