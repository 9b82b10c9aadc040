// afxwin.h - core of the MFC-compatible layer: windows, dialogs, message maps, the application.
//
//   CRect          a RECT with Width and Height
//   CObject        the root class
//   CCmdTarget     a message map (OnWndMsg); the map macros follow it
//   CWnd           a window handle holder; MessageBox, the one way the layer shows a box
//   CDataExchange  DDX_Control binds a dialog's control to a CWnd once
//   CDialog        modal (DoModal) and modeless (Create) dialogs from templates
//   CButton, CEdit the controls of the tools' dialogs (afxcmn.h: progress bar and list view)
//   CMenu, CDC, CPaintDC  the system menu and painting of a minimised dialog
//   CWinApp        the application object; AfxGetApp, AfxMessageBox and AfxWinMain follow it
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "afxstr.h"

#ifndef afx_msg
#define afx_msg
#endif
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWnd;
class CMenu;
class CWinApp;
class CDataExchange;

class CRect : public RECT
{
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT &rc) : RECT(rc) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

class CObject
{
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
};

// Base of everything that has a message map. OnWndMsg is the map: TRUE when handled.
class CCmdTarget : public CObject
{
public:
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
};

// Message maps as plain code: each entry is one `if` inside the class's own OnWndMsg,
// the end hands the message to the base class's map.
#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;          \
                                                                                                   \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    BOOL theClass::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)          \
    {                                                                                              \
        typedef baseClass TheBaseClass;                                                            \
        (void)wParam;                                                                              \
        (void)lParam;

#define END_MESSAGE_MAP()                                                                          \
    return TheBaseClass::OnWndMsg(message, wParam, lParam, pResult);                               \
    }

// A command: from a menu or an accelerator (no control handle), or a control's code 0.
#define AFX_IS_COMMAND(wParam, lParam) (HIWORD(wParam) == 0 || (lParam) == 0)

#define ON_COMMAND(id, memberFxn)                                                                  \
    if (message == WM_COMMAND && LOWORD(wParam) == (id) && AFX_IS_COMMAND(wParam, lParam))         \
    {                                                                                              \
        (this->*(memberFxn))();                                                                    \
        *pResult = 0;                                                                              \
        return TRUE;                                                                               \
    }

// A button's click arrives as a command with code BN_CLICKED (0).
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)

#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
    if (message == WM_NOTIFY && lParam != 0 &&                                                     \
        reinterpret_cast<NMHDR *>(lParam)->code == static_cast<UINT>(wNotifyCode) &&               \
        reinterpret_cast<NMHDR *>(lParam)->idFrom == static_cast<UINT_PTR>(id))                    \
    {                                                                                              \
        *pResult = 0;                                                                              \
        (this->*(memberFxn))(reinterpret_cast<NMHDR *>(lParam), pResult);                          \
        return TRUE;                                                                               \
    }

#define ON_MESSAGE(msg, memberFxn)                                                                 \
    if (message == (msg))                                                                          \
    {                                                                                              \
        *pResult = (this->*(memberFxn))(wParam, lParam);                                           \
        return TRUE;                                                                               \
    }

// nMessageVariable holds a RegisterWindowMessage result; 0 (registration failed) matches nothing.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                         \
    if ((nMessageVariable) != 0 && message == (nMessageVariable))                                  \
    {                                                                                              \
        *pResult = (this->*(memberFxn))(wParam, lParam);                                           \
        return TRUE;                                                                               \
    }

#define ON_WM_SYSCOMMAND()                                                                         \
    if (message == WM_SYSCOMMAND)                                                                  \
    {                                                                                              \
        this->OnSysCommand(static_cast<UINT>(wParam), lParam);                                     \
        *pResult = 0;                                                                              \
        return TRUE;                                                                               \
    }

#define ON_WM_PAINT()                                                                              \
    if (message == WM_PAINT)                                                                       \
    {                                                                                              \
        this->OnPaint();                                                                           \
        *pResult = 0;                                                                              \
        return TRUE;                                                                               \
    }

#define ON_WM_QUERYDRAGICON()                                                                      \
    if (message == WM_QUERYDRAGICON)                                                               \
    {                                                                                              \
        *pResult = reinterpret_cast<LRESULT>(this->OnQueryDragIcon());                             \
        return TRUE;                                                                               \
    }

// A window object: a thin holder of an HWND. Safe to call from any thread; every call is one
// window function or message on the handle, read once. When the window goes, the handle is
// cleared with an atomic store, so a worker racing the GUI thread never sees half a handle.
class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }
    HWND Detach();
    // Permanent object bound to hWnd, else a temporary one owned by the calling thread.
    static CWnd *FromHandle(HWND hWnd);
    static CWnd *GetDesktopWindow();

    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString &rString) const;
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    // Centres on the owner, or on the work area when there is no visible owner.
    void CenterWindow(CWnd *pAlternateOwner = nullptr);
    CWnd *GetDlgItem(int nID) const;
    // Temporary menu object owned by the calling thread; nullptr when there is no system menu.
    CMenu *GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    // Owned by this window; the caption defaults to the application name.
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);
    virtual BOOL DestroyWindow();

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;

    // Default handling of the message this thread is processing for this window.
    LRESULT Default();

    // Default handlers; a class's own handler of the same name is found by its message map.
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();

protected:
    // Called after the window got WM_NCDESTROY and m_hWnd was cleared.
    virtual void PostNcDestroy() {}

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

class CDataExchange
{
public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
};

// Attaches the dialog's control nIDC to rControl once; no subclassing.
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    // A modeless dialog's window goes with the object.
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // Modeless: the window from template nIDTemplate, owned by pParentWnd.
    virtual BOOL Create(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;

    UINT m_nIDHelp;

protected:
    virtual void DoDataExchange(CDataExchange *pDX) { (void)pDX; }
    virtual void OnOK();
    virtual void OnCancel();

    CWnd *m_pParentWnd;

private:
    friend void DDX_Control(CDataExchange *, int, CWnd &);
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    // Bound controls lose their handles with the dialog's window.
    void DetachControls();
    BOOL m_bModal = FALSE;
    // Ended: a WS_VISIBLE template must not show the window after an EndDialog in init.
    BOOL m_bEnded = FALSE;
    std::vector<CWnd *> m_boundControls;
};

class CButton : public CWnd
{
public:
    int GetCheck() const { return static_cast<int>(::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int nCheck) { ::SendMessageA(m_hWnd, BM_SETCHECK, nCheck, 0); }
};

class CEdit : public CWnd
{
public:
    // The user can type at most nMax characters; WM_SETTEXT is not limited.
    void SetLimitText(UINT nMax) { ::SendMessageA(m_hWnd, EM_LIMITTEXT, nMax, 0); }
};

// A menu handle holder. It never destroys the menu: the tools only borrow the system menu.
class CMenu : public CObject
{
public:
    HMENU m_hMenu = nullptr;
    static CMenu *FromHandle(HMENU hMenu);
    operator HMENU() const { return m_hMenu; }
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
};

class CDC : public CObject
{
public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return GetSafeHdc(); }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
};

class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd *pWnd);
    ~CPaintDC() override;
    CPaintDC(const CPaintDC &) = delete;
    CPaintDC &operator=(const CPaintDC &) = delete;
    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};

class CWinApp : public CCmdTarget
{
public:
    // Without a name the application is named after the executable ("Torvane" for Torvane.exe).
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The exit code of a PostQuitMessage waiting on this thread, else 0.
    virtual int ExitInstance();
    // Message loop for applications whose InitInstance returns TRUE; ends in ExitInstance.
    virtual int Run();

    HICON LoadIcon(UINT nIDResource) const;
    afx_msg void OnHelp() {}

    CWnd *m_pMainWnd = nullptr;
    LPCSTR m_pszAppName;
    HINSTANCE m_hInstance;

private:
    CString m_strAppName;
    int m_nQuitCode = -1;
};

CWinApp *AfxGetApp();
CWnd *AfxGetMainWnd();
LPCSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// Owned by the main window when there is one; caption: the application name.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// COM is initialised by AfxWinMain; kept for the tools' start-up code.
void AfxEnableControlContainer();
// The program's start: common controls, COM, InitInstance, then the exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
