// ProcessDriver.cpp - starts a built program and works its main dialog from outside.
#include "TestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

namespace vtltest
{

bool CProcessDriver::Start(const std::string &exePath, const EnvVars &env, const std::string &args,
                           const std::string &workDir)
{
    std::string exe = exePath;
    if (exe.find_first_of("\\/:") == std::string::npos)
        exe = BinDir() + exe;
    ChildOptions options;
    options.strDir = workDir.empty() ? exe.substr(0, exe.find_last_of("\\/") + 1) : workDir;
    options.vars = env;
    std::string cmd = "\"" + exe + "\"";
    if (!args.empty())
        cmd += " " + args;
    if (!m_child.Start(Widen(cmd), options))
    {
        m_strError =
            "CreateProcess failed for " + exe + ", error " + std::to_string(m_child.StartError());
        return false;
    }
    return true;
}

HWND CProcessDriver::WaitForMainWindow(DWORD timeoutMs, const std::string &title)
{
    WindowQuery q;
    q.className = "#32770";
    q.pid = Pid();
    q.title = title;
    // Not a message box, file dialog, splash or owned window (About).
    q.pred = [this](HWND h) {
        return !IsMessageBox(h) && h != FileDialog() && !GetWindow(h, GW_OWNER) &&
               (GetWindowLongA(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
    };
    m_hMain = WaitForWindow(q, timeoutMs);
    if (!m_hMain)
        m_strError = Running() ? "no main window" : "process ended before its window showed";
    return m_hMain;
}

HWND CProcessDriver::Control(int id) const
{
    return Control(m_hMain, id);
}

HWND CProcessDriver::Control(HWND parent, int id) const
{
    return FindChildById(parent, id);
}

bool CProcessDriver::Click(int id)
{
    return Click(Control(id));
}

bool CProcessDriver::Click(HWND hCtl)
{
    if (!hCtl || !IsWindowEnabled(hCtl))
    {
        m_strError = hCtl ? "control disabled" : "no such control";
        return false;
    }
    return PostMessageA(hCtl, BM_CLICK, 0, 0) != FALSE;
}

bool CProcessDriver::PostCommand(int id)
{
    return m_hMain && PostMessageA(m_hMain, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(m_hMain, id)));
}

std::string CProcessDriver::Text(int id) const
{
    return GetText(Control(id));
}

bool CProcessDriver::SetText(int id, const std::string &text)
{
    HWND h = Control(id);
    DWORD_PTR r = 0;
    return h &&
           SendMessageTimeoutA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, 5000, &r) &&
           r;
}

bool CProcessDriver::IsEnabled(int id) const
{
    HWND h = Control(id);
    return h && IsWindowEnabled(h);
}

bool CProcessDriver::IsVisible(int id) const
{
    HWND h = Control(id);
    return h && IsWindowVisible(h);
}

// The answer of control id to a query without arguments, -1 on failure.
int CProcessDriver::Query(int id, UINT message) const
{
    HWND h = Control(id);
    DWORD_PTR r = 0;
    if (!h || !SendMessageTimeoutA(h, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &r))
        return -1;
    return static_cast<int>(r);
}

int CProcessDriver::CheckState(int id) const
{
    return Query(id, BM_GETCHECK);
}

int CProcessDriver::ProgressPos(int id) const
{
    return Query(id, PBM_GETPOS);
}

bool CProcessDriver::Close()
{
    return m_hMain && PostMessageA(m_hMain, WM_CLOSE, 0, 0);
}

bool CProcessDriver::WaitForExit(DWORD timeoutMs, DWORD *pExitCode)
{
    return m_child.Wait(timeoutMs, pExitCode);
}

void CProcessDriver::Kill()
{
    m_child.Kill();
}

std::vector<HWND> CProcessDriver::MessageBoxes() const
{
    WindowQuery q;
    q.className = "#32770";
    q.pid = Pid();
    q.pred = IsMessageBox;
    return FindTopWindows(q);
}

bool CProcessDriver::WaitForMessageBox(MsgBoxRecord &out, DWORD timeoutMs, HWND *phBox)
{
    HWND hBox = NULL;
    if (!WaitForCondition(
            [&] {
                std::vector<HWND> v = MessageBoxes();
                hBox = v.empty() ? NULL : v.front();
                return hBox != NULL;
            },
            timeoutMs))
    {
        m_strError = "no message box";
        return false;
    }
    out = MsgBoxRecord();
    out.caption = GetText(hBox);
    out.text = GetText(GetDlgItem(hBox, 0xFFFF));
    out.buttons = MessageBoxButtons(hBox);
    out.threadId = GetWindowThreadProcessId(hBox, NULL);
    out.owner = GetWindow(hBox, GW_OWNER);
    // The icon is read from the screen, so give the box a moment to paint.
    WaitForCondition([&] { return (out.icon = MessageBoxIcon(hBox)) != 0; }, 2000);
    if (phBox)
        *phBox = hBox;
    return true;
}

bool CProcessDriver::AnswerMessageBox(HWND hBox, int nId)
{
    if (!IsWindow(hBox))
        return false;
    HWND hBtn = GetDlgItem(hBox, nId);
    BOOL ok = hBtn ? PostMessageA(hBtn, BM_CLICK, 0, 0)
                   : PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), 0);
    // Wait until it is gone, so the next wait does not see the same box.
    return ok && WaitForCondition([&] { return !IsWindow(hBox); }, 5000);
}

bool CProcessDriver::ExpectMessageBox(MsgBoxRecord &out, int nAnswer, DWORD timeoutMs)
{
    HWND hBox = NULL;
    if (!WaitForMessageBox(out, timeoutMs, &hBox))
        return false;
    out.answer = nAnswer;
    return AnswerMessageBox(hBox, nAnswer);
}

} // namespace vtltest
