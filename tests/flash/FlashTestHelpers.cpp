// FlashTestHelpers.cpp - in-process dialog runs, simulator sessions and control access for tests.
#include "FlashTestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <exception>
#include <fstream>
#include <sstream>

namespace flashtest
{
namespace
{
std::atomic<int> g_nSession{0};

struct DialogRun
{
    DialogRun(CTorvaneDlg &dlg, const std::function<void(HWND)> &script, DWORD dwTimeoutMs)
        : pDlg(&dlg), pScript(&script), dwTimeout(dwTimeoutMs),
          hEnded(CreateEventA(NULL, TRUE, FALSE, NULL))
    {
    }

    CTorvaneDlg *pDlg;
    const std::function<void(HWND)> *pScript;
    DWORD dwTimeout;
    HANDLE hEnded;
    std::atomic<bool> bWatchdogFired{false};
    std::atomic<bool> bLoopSilent{false};
    std::atomic<bool> bScriptStarted{false};
    std::atomic<bool> bScriptFinished{false};
    std::string strStop; // what ended the script early
};

// Waits for a thread while answering messages sent to this thread, so that nobody stalls.
void JoinPumping(HANDLE hThread)
{
    for (;;)
    {
        DWORD dw = MsgWaitForMultipleObjects(1, &hThread, FALSE, 60000, QS_SENDMESSAGE);
        if (dw != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(hThread);
}

// Set by the dialog thread's message hook when it fetches the probe.
std::atomic<HANDLE> g_hProbeFetched{NULL};

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
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

// The modal loop shows its dialog once more (SW_SHOWNORMAL) when its queue first runs dry or it
// first handles a WM_TIMER, which undoes a minimise that came earlier. A posted WM_TIMER and then
// a probe: once the loop fetches the probe, that point has passed.
bool WaitForDialogLoop(HWND hDlg, const DialogRun &run)
{
    HANDLE hFetched = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_hProbeFetched = hFetched;
    HHOOK hHook =
        SetWindowsHookExA(WH_GETMESSAGE, ProbeHook, NULL, GetWindowThreadProcessId(hDlg, NULL));
    const HANDLE ahWait[2] = {hFetched, run.hEnded};
    const bool bFetched = hHook != NULL && PostMessageA(hDlg, WM_TIMER, 0, 0) &&
                          PostMessageA(hDlg, ProbeMessage(), 0, 0) &&
                          WaitForMultipleObjects(2, ahWait, FALSE, run.dwTimeout) == WAIT_OBJECT_0;
    if (hHook != NULL)
        UnhookWindowsHookEx(hHook);
    g_hProbeFetched = NULL;
    CloseHandle(hFetched);
    return bFetched;
}

void RunScript(DialogRun &run, HWND hDlg)
{
    run.bScriptStarted = true;
    try
    {
        (*run.pScript)(hDlg);
        run.bScriptFinished = true;
    }
    catch (const std::exception &e)
    {
        run.strStop = std::string("exception: ") + e.what();
    }
    catch (...)
    {
        run.strStop = "an exception";
    }
}

DWORD WINAPI ScriptThread(LPVOID p)
{
    auto *run = static_cast<DialogRun *>(p);
    HWND hDlg = NULL;
    DWORD dwStart = GetTickCount();
    // Poll for the shown window; the run's end event ends the wait early.
    while (GetTickCount() - dwStart < run->dwTimeout)
    {
        HWND h = run->pDlg->GetSafeHwnd();
        if (h != NULL && IsWindowVisible(h))
        {
            hDlg = h;
            break;
        }
        if (WaitForSingleObject(run->hEnded, 5) == WAIT_OBJECT_0)
            break;
    }
    if (hDlg != NULL)
    {
        if (WaitForDialogLoop(hDlg, *run))
            RunScript(*run, hDlg);
        else if (IsWindow(hDlg))
            run->bLoopSilent = true;
        if (IsWindow(hDlg))
            PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

DWORD WINAPI WatchdogThread(LPVOID p)
{
    auto *run = static_cast<DialogRun *>(p);
    if (WaitForSingleObject(run->hEnded, run->dwTimeout + 5000) == WAIT_TIMEOUT)
    {
        HWND h = run->pDlg->GetSafeHwnd();
        if (h != NULL)
        {
            run->bWatchdogFired = true;
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return 0;
}
} // namespace

CSimSession::CSimSession(const std::string &strConfig)
{
    int n = ++g_nSession;
    m_strConfig = m_dir.File("sim.ini");
    m_strJournal = m_dir.File("journal.txt");
    // A board section unique to this session keeps simulator state of earlier tests away.
    std::string text = strConfig + "\n";
    if (text.find("boards = 0") == std::string::npos)
    {
        if (text.find("[board 0]") == std::string::npos)
            text += "[board 0]\n";
        size_t pos = text.find("[board 0]") + 9;
        text.insert(pos, "\nio = " + std::to_string(0x10000 + n));
    }
    vtltest::WriteFileText(m_strConfig, text);
    SetEnvironmentVariableA("VTLSIM_CONFIG", m_strConfig.c_str());
    SetEnvironmentVariableA("VTLSIM_JOURNAL", m_strJournal.c_str());
}

CSimSession::~CSimSession()
{
    SetEnvironmentVariableA("VTLSIM_CONFIG", NULL);
    SetEnvironmentVariableA("VTLSIM_JOURNAL", NULL);
}

std::vector<std::string> CSimSession::Calls() const
{
    std::vector<std::string> calls;
    std::string text;
    if (!vtltest::ReadFileText(m_strJournal, text))
        return calls;
    std::string prefix = std::to_string(GetCurrentProcessId()) + " ";
    std::istringstream is(text);
    std::string line;
    while (std::getline(is, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, prefix.size(), prefix) == 0)
            calls.push_back(line.substr(prefix.size()));
    }
    return calls;
}

std::vector<std::string> CSimSession::CallsStartingWith(const std::string &prefix) const
{
    std::vector<std::string> out;
    for (const std::string &c : Calls())
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    return out;
}

bool CSimSession::WaitForCall(const std::string &prefix, DWORD timeoutMs) const
{
    return vtltest::WaitForCondition([&] { return Count(prefix) > 0; }, timeoutMs);
}

std::string SamplePath(const char *pszName)
{
    return vtltest::BinDir() + "samples\\" + pszName;
}

INT_PTR RunDialog(CTorvaneDlg &dlg, const std::function<void(HWND)> &script, DWORD timeoutMs)
{
    DialogRun run(dlg, script, timeoutMs);
    HANDLE hScript = CreateThread(NULL, 0, ScriptThread, &run, 0, NULL);
    HANDLE hWatchdog = CreateThread(NULL, 0, WatchdogThread, &run, 0, NULL);
    INT_PTR nResult = dlg.DoModal();
    SetEvent(run.hEnded);
    JoinPumping(hScript);
    JoinPumping(hWatchdog);
    CloseHandle(run.hEnded);
    // A run that the watchdog had to end, or whose script stopped half-way, checked nothing.
    EXPECT_FALSE(run.bWatchdogFired)
        << "the dialog was still open after " << timeoutMs + 5000 << " ms; the watchdog closed it";
    EXPECT_FALSE(run.bLoopSilent) << "the dialog's modal loop never ran";
    if (run.bScriptStarted)
    {
        EXPECT_TRUE(run.bScriptFinished) << "the script did not run to its end: " << run.strStop;
    }
    return nResult;
}

std::string Text(HWND hDlg, int nId)
{
    return vtltest::GetText(GetDlgItem(hDlg, nId));
}

void SetText(HWND hDlg, int nId, const std::string &text)
{
    SendMessageA(GetDlgItem(hDlg, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Enabled(HWND hDlg, int nId)
{
    return IsWindowEnabled(GetDlgItem(hDlg, nId)) != FALSE;
}

int Checked(HWND hDlg, int nId)
{
    return static_cast<int>(SendMessageA(GetDlgItem(hDlg, nId), BM_GETCHECK, 0, 0));
}

void Click(HWND hDlg, int nId)
{
    SendMessageA(GetDlgItem(hDlg, nId), BM_CLICK, 0, 0);
}

bool WaitForIdle(HWND hDlg, DWORD timeoutMs)
{
    // The inputs come back last, after the refresh that follows Program.
    static const int kIds[] = {IDC_ERASE,     IDC_ERASE_BITSTREAM, IDC_PROGRAM, IDOK,
                               IDC_SPARTAN,   IDC_VIRTEX,          IDC_BROWSE,  IDC_FILE,
                               IDC_VER_MAJOR, IDC_VER_MINOR};
    return vtltest::WaitForCondition(
        [&] {
            for (int nId : kIds)
                if (!Enabled(hDlg, nId))
                    return false;
            return true;
        },
        timeoutMs);
}

bool WaitForText(HWND hDlg, int nId, const std::string &text, DWORD timeoutMs)
{
    return vtltest::WaitForCondition([&] { return Text(hDlg, nId) == text; }, timeoutMs);
}

} // namespace flashtest
