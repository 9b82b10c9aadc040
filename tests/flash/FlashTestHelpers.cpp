// FlashTestHelpers.cpp - in-process dialog runs, simulator sessions and control access for tests.
#include "FlashTestHelpers.h"

#include <atomic>
#include <fstream>
#include <sstream>

namespace flashtest
{
namespace
{
std::atomic<int> g_nSession{0};

struct DialogRun
{
    CTorvaneDlg *pDlg;
    const std::function<void(HWND)> *pScript;
    DWORD dwTimeout;
    HANDLE hEnded;
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
        (*run->pScript)(hDlg);
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
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
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
    DialogRun run{&dlg, &script, timeoutMs, CreateEventA(NULL, TRUE, FALSE, NULL)};
    HANDLE hScript = CreateThread(NULL, 0, ScriptThread, &run, 0, NULL);
    HANDLE hWatchdog = CreateThread(NULL, 0, WatchdogThread, &run, 0, NULL);
    INT_PTR nResult = dlg.DoModal();
    SetEvent(run.hEnded);
    JoinPumping(hScript);
    JoinPumping(hWatchdog);
    CloseHandle(run.hEnded);
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
