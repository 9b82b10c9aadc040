// ModalRun.cpp - the watchdog, the script runner and the modal run of the tests.
#include "ModalRun.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>

namespace vtltest
{
namespace
{
BOOL CALLBACK CancelWindow(HWND hWnd, LPARAM)
{
    PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

// Waits up to a minute for a thread while answering messages sent to this thread, so that
// nobody stalls. A thread that does not end is a failure of the test, never a silent give-up.
bool JoinServing(HANDLE hThread, const char *pszWhat)
{
    const ULONGLONG ullEnd = GetTickCount64() + 60000;
    DWORD dw = WAIT_TIMEOUT;
    for (ULONGLONG ullNow; (ullNow = GetTickCount64()) < ullEnd;)
    {
        dw = MsgWaitForMultipleObjects(1, &hThread, FALSE, DWORD(ullEnd - ullNow), QS_SENDMESSAGE);
        if (dw != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(hThread);
    if (dw == WAIT_OBJECT_0)
        return true;
    ADD_FAILURE() << pszWhat << " did not end within 60 s; it was left running";
    return false;
}

// Set by the dialog thread's message hook when it fetches the probe.
std::atomic<HANDLE> g_hProbeFetched{nullptr};

UINT ProbeMessage()
{
    static const UINT nProbe = RegisterWindowMessageA("VtlTestDialogLoopProbe");
    return nProbe;
}

LRESULT CALLBACK ProbeHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    const MSG *pMsg = reinterpret_cast<const MSG *>(lParam);
    if (nCode == HC_ACTION && wParam == PM_REMOVE && pMsg->message == ProbeMessage())
        SetEvent(g_hProbeFetched.load());
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// Owned by both the run and its script thread, so that a thread that outlives the run still
// finds everything it uses.
struct ModalRunState
{
    ModalRunState(const std::function<HWND()> &window, const std::function<void(HWND)> &script,
                  DWORD dwTimeoutMs)
        : fnWindow(window), fnScript(script), dwTimeout(dwTimeoutMs),
          hEnded(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~ModalRunState() { CloseHandle(hEnded); }
    ModalRunState(const ModalRunState &) = delete;
    ModalRunState &operator=(const ModalRunState &) = delete;

    const std::function<HWND()> fnWindow;
    const std::function<void(HWND)> fnScript;
    const DWORD dwTimeout;
    const HANDLE hEnded;
    std::atomic<bool> bLoopSilent{false};
    CScript script;
};

// The modal loop shows its dialog once more (SW_SHOWNORMAL) when its queue first runs dry or it
// first handles a WM_TIMER, which undoes a minimise that came earlier. A posted WM_TIMER and then
// a probe: once the loop fetches the probe, that point has passed.
bool WaitForDialogLoop(HWND hDlg, const ModalRunState &run)
{
    HANDLE hFetched = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_hProbeFetched = hFetched;
    HHOOK hHook = SetWindowsHookExA(WH_GETMESSAGE, ProbeHook, nullptr,
                                    GetWindowThreadProcessId(hDlg, nullptr));
    const HANDLE ahWait[2] = {hFetched, run.hEnded};
    const bool bFetched = hHook != nullptr && PostMessageA(hDlg, WM_TIMER, 0, 0) &&
                          PostMessageA(hDlg, ProbeMessage(), 0, 0) &&
                          WaitForMultipleObjects(2, ahWait, FALSE, run.dwTimeout) == WAIT_OBJECT_0;
    if (hHook != nullptr)
        UnhookWindowsHookEx(hHook);
    g_hProbeFetched = nullptr;
    CloseHandle(hFetched);
    return bFetched;
}

DWORD WINAPI ScriptThread(LPVOID p)
{
    const std::unique_ptr<std::shared_ptr<ModalRunState>> pOwner(
        static_cast<std::shared_ptr<ModalRunState> *>(p));
    ModalRunState *run = pOwner->get();
    HWND hDlg = nullptr;
    const ULONGLONG ullEnd = GetTickCount64() + run->dwTimeout;
    // Polls for the shown window; the run's end ends the wait early.
    while (GetTickCount64() < ullEnd)
    {
        HWND h = run->fnWindow();
        if (h != nullptr && IsWindowVisible(h))
        {
            hDlg = h;
            break;
        }
        if (WaitForSingleObject(run->hEnded, 5) == WAIT_OBJECT_0)
            break;
    }
    if (hDlg == nullptr)
        return 0;
    if (WaitForDialogLoop(hDlg, *run))
        run->script.Run([&] { run->fnScript(hDlg); });
    else if (IsWindow(hDlg))
        run->bLoopSilent = true;
    if (IsWindow(hDlg))
        PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
} // namespace

CModalWatchdog::CModalWatchdog(DWORD dwTimeoutMs, DWORD dwThreadId)
    : m_dwThreadId(dwThreadId), m_dwTimeoutMs(dwTimeoutMs),
      m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_hThread(nullptr)
{
    // Started last, once every member it reads is set.
    m_hThread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
}

CModalWatchdog::~CModalWatchdog()
{
    SetEvent(m_hStop);
    // A watchdog thread that did not end still reads this object: its event stays open then.
    if (JoinServing(m_hThread, "the modal watchdog's thread"))
        CloseHandle(m_hStop);
}

DWORD WINAPI CModalWatchdog::ThreadProc(LPVOID pParam)
{
    auto *p = static_cast<CModalWatchdog *>(pParam);
    while (WaitForSingleObject(p->m_hStop, p->m_bFired ? 500 : p->m_dwTimeoutMs) == WAIT_TIMEOUT)
    {
        p->m_bFired = true;
        EnumThreadWindows(p->m_dwThreadId, CancelWindow, 0);
    }
    return 0;
}

void CScript::Run(const std::function<void()> &fn)
{
    m_bStarted = true;
    try
    {
        fn();
        m_bFinished = true;
    }
    catch (const std::exception &e)
    {
        m_strStop = std::string("exception: ") + e.what();
    }
    catch (...)
    {
        m_strStop = "an exception";
    }
}

std::string CScript::Stop() const
{
    return m_bFinished ? std::string() : m_strStop;
}

INT_PTR RunModal(const std::function<INT_PTR()> &doModal, const std::function<HWND()> &window,
                 const std::function<void(HWND)> &script, DWORD timeoutMs)
{
    const auto pRun = std::make_shared<ModalRunState>(window, script, timeoutMs);
    ModalRunState &run = *pRun;
    INT_PTR nResult;
    {
        // The dialog's object may have started threads whose message boxes must be caught too.
        CMsgBoxCatcher::RearmActive();
        CModalWatchdog watchdog(timeoutMs + 5000);
        auto *pThreadOwner = new std::shared_ptr<ModalRunState>(pRun);
        HANDLE hScript = CreateThread(nullptr, 0, ScriptThread, pThreadOwner, 0, nullptr);
        if (hScript == nullptr)
        {
            delete pThreadOwner;
            ADD_FAILURE() << "the script thread did not start: error " << GetLastError();
        }
        nResult = doModal();
        SetEvent(run.hEnded);
        if (hScript != nullptr)
            JoinServing(hScript, "the script thread");
        // A run that the watchdog had to end, or whose script stopped half-way, checked nothing.
        EXPECT_FALSE(watchdog.Fired()) << "the dialog was still open after " << timeoutMs + 5000
                                       << " ms; the watchdog closed it";
    }
    EXPECT_FALSE(run.bLoopSilent) << "the dialog's modal loop never ran";
    if (run.script.Started())
    {
        EXPECT_TRUE(run.script.Finished())
            << "the script did not run to its end: " << run.script.Stop();
    }
    return nResult;
}
} // namespace vtltest
