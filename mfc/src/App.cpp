// App.cpp - CWinApp, the Afx* globals and the program's start.
#include "afxwin.h"

#include <exception>

namespace
{
CWinApp *g_pApp = nullptr;

CString ModuleBaseName()
{
    char szPath[MAX_PATH * 4];
    DWORD n = ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    if (n == 0 || n >= sizeof(szPath))
        return CString();
    CString strPath(szPath);
    LPCSTR pszName = szPath;
    for (LPCSTR p = szPath; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            pszName = p + 1;
    LPCSTR pszDot = nullptr;
    for (LPCSTR p = pszName; *p; ++p)
        if (*p == '.')
            pszDot = p;
    return pszDot ? CString(pszName, static_cast<int>(pszDot - pszName)) : CString(pszName);
}
} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_strAppName(lpszAppName != nullptr ? CString(lpszAppName) : ModuleBaseName())
{
    m_pszAppName = m_strAppName.GetString();
    m_hInstance = ::GetModuleHandleA(nullptr);
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::ExitInstance()
{
    if (m_nQuitCode >= 0)
        return m_nQuitCode;
    MSG msg;
    if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return static_cast<int>(msg.wParam);
    return 0;
}

int CWinApp::Run()
{
    MSG msg;
    BOOL bRet;
    while ((bRet = ::GetMessageA(&msg, nullptr, 0, 0)) != 0 && bRet != -1)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_nQuitCode = bRet == 0 ? static_cast<int>(msg.wParam) : 1;
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

CWinApp *AfxGetApp()
{
    return g_pApp;
}

CWnd *AfxGetMainWnd()
{
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

LPCSTR AfxGetAppName()
{
    return g_pApp != nullptr ? g_pApp->m_pszAppName : "";
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp != nullptr ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT)
{
    CWnd *pMain = AfxGetMainWnd();
    if (pMain != nullptr)
        return pMain->MessageBox(lpszText, nullptr, nType);
    CWnd wndNone;
    return wndNone.MessageBox(lpszText, nullptr, nType);
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc),
                                ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    int nExitCode = 1;
    CWinApp *pApp = AfxGetApp();
    if (pApp != nullptr)
    {
        pApp->m_hInstance = hInstance;
        try
        {
            nExitCode = pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
        }
        catch (...)
        {
            // Whoever threw has told the user already; end quietly instead of aborting.
            nExitCode = 1;
        }
    }
    return nExitCode;
}
