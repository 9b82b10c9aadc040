// OstrelHarness.cpp - the in-process test dialog, simulator sessions and file-dialog answers.
#include "OstrelHarness.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <exception>
#include <sstream>

using namespace vtltest;

namespace ostreltest
{
namespace
{
constexpr UINT WM_RUN_SCRIPT = WM_APP + 17;
constexpr int kFileNameEdit = 1152;
constexpr int kFileNameCombo = 1148;

HWND FileNameBox(HWND h)
{
    HWND e = GetDlgItem(h, kFileNameEdit);
    if (e && GetClass(e) == "Edit")
        return e;
    HWND c = GetDlgItem(h, kFileNameCombo);
    return c ? FindWindowExA(c, NULL, "Edit", NULL) : NULL;
}
} // namespace

CSimSession::CSimSession(const std::string &strConfig)
    : m_strConfig(m_dir.File("sim.ini")), m_strJournal(m_dir.File("journal.txt"))
{
    WriteFileText(m_strConfig, strConfig);
    SetEnvironmentVariableA("VTLSIM_CONFIG", m_strConfig.c_str());
    SetEnvironmentVariableA("VTLSIM_JOURNAL", m_strJournal.c_str());
}

CSimSession::~CSimSession()
{
    SetEnvironmentVariableA("VTLSIM_CONFIG", nullptr);
    SetEnvironmentVariableA("VTLSIM_JOURNAL", nullptr);
}

std::vector<std::pair<std::string, std::string>> CSimSession::Env() const
{
    return {{"VTLSIM_CONFIG", m_strConfig}, {"VTLSIM_JOURNAL", m_strJournal}};
}

std::vector<std::string> CSimSession::Calls(DWORD pid) const
{
    std::string text;
    ReadFileText(m_strJournal, text);
    std::vector<std::string> calls;
    std::istringstream in(text);
    const std::string prefix = std::to_string(pid) + " ";
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, prefix.size(), prefix) == 0)
            calls.push_back(line.substr(prefix.size()));
    }
    return calls;
}

size_t CSimSession::Count(const std::string &prefix, DWORD pid) const
{
    size_t n = 0;
    for (const std::string &c : Calls(pid))
        n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
}

int CSimSession::Find(const std::string &prefix, bool bLast) const
{
    const std::vector<std::string> calls = Calls();
    int found = -1;
    for (size_t i = 0; i < calls.size(); ++i)
    {
        if (calls[i].compare(0, prefix.size(), prefix) == 0)
        {
            found = static_cast<int>(i);
            if (!bLast)
                break;
        }
    }
    return found;
}

std::string BoardsConfig(const std::vector<std::string> &boards, const std::string &strDriver)
{
    std::string text = "[driver]\nboards = " + std::to_string(boards.size()) + "\n" + strDriver;
    for (size_t i = 0; i < boards.size(); ++i)
        text += "\n[board " + std::to_string(i) + "]\n" + boards[i] + "\n";
    return text;
}

// clang-format off
BEGIN_MESSAGE_MAP(CTestOstrelDlg, COstrelDlg)
    ON_MESSAGE(WM_RUN_SCRIPT, &CTestOstrelDlg::OnRunScript)
END_MESSAGE_MAP()
// clang-format on

INT_PTR CTestOstrelDlg::RunScript(std::function<void(CTestOstrelDlg &)> script)
{
    m_script = std::move(script);
    HANDLE hDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> hDlg{NULL};
    // Ends a hung dialog so that a broken test fails instead of blocking the run.
    std::atomic<bool> bWatchdogFired{false};
    std::thread watchdog([&] {
        if (WaitForSingleObject(hDone, m_nWatchdogMs) == WAIT_TIMEOUT && hDlg.load())
        {
            bWatchdogFired = true;
            ::PostMessageA(hDlg.load(), WM_COMMAND, IDCANCEL, 0);
        }
    });
    m_script = [inner = std::move(m_script), &hDlg](CTestOstrelDlg &dlg) {
        hDlg = dlg.m_hWnd;
        inner(dlg);
    };
    const INT_PTR nResult = DoModal();
    SetEvent(hDone);
    watchdog.join();
    CloseHandle(hDone);
    // A run that the watchdog had to end, or whose script stopped half-way, checked nothing.
    EXPECT_FALSE(bWatchdogFired) << "the dialog was still open after " << m_nWatchdogMs
                                 << " ms; the watchdog closed it";
    EXPECT_TRUE(m_bScriptFinished) << "the script did not run to its end: " << m_strScriptStop;
    return nResult;
}

BOOL CTestOstrelDlg::OnInitDialog()
{
    const BOOL bResult = COstrelDlg::OnInitDialog();
    PostMessage(WM_RUN_SCRIPT);
    return bResult;
}

LRESULT CTestOstrelDlg::OnRunScript(WPARAM, LPARAM)
{
    m_bScriptRan = true;
    try
    {
        if (m_script)
            m_script(*this);
        m_bScriptFinished = true;
    }
    catch (const VTLExc &e)
    {
        m_strScriptStop = "VTLExc \"" +
                          std::string(e.m_szMessage, strnlen(e.m_szMessage, sizeof e.m_szMessage)) +
                          "\"";
    }
    catch (const std::exception &e)
    {
        m_strScriptStop = std::string("exception: ") + e.what();
    }
    catch (...)
    {
        m_strScriptStop = "an exception";
    }
    EndDialog(IDOK);
    return 0;
}

std::vector<std::vector<std::string>> CTestOstrelDlg::Rows()
{
    std::vector<std::vector<std::string>> rows;
    const int n = ListCount(m_lstBoards);
    for (int r = 0; r < n; ++r)
    {
        std::vector<std::string> row;
        for (int c = 0; c < 3; ++c)
            row.push_back(ListText(m_lstBoards, r, c));
        rows.push_back(row);
    }
    return rows;
}

int CTestOstrelDlg::SelectedRow()
{
    return m_lstBoards.GetNextItem(-1, LVNI_SELECTED);
}

bool CTestOstrelDlg::ButtonsEnabled(bool bEnabled)
{
    for (HWND h : {m_btnVerify.m_hWnd, m_btnErase.m_hWnd, m_btnSave.m_hWnd, m_btnUpdate.m_hWnd})
        if (!::IsWindowEnabled(h) != !bEnabled)
            return false;
    return true;
}

void CTestOstrelDlg::ClickRow(int nRow, bool bRight)
{
    NMITEMACTIVATE nm{};
    nm.hdr.hwndFrom = m_lstBoards.GetSafeHwnd();
    nm.hdr.idFrom = IDC_BOARDS;
    nm.hdr.code = bRight ? NM_RCLICK : NM_CLICK;
    nm.iItem = nRow;
    nm.iSubItem = 0;
    SendMessage(WM_NOTIFY, IDC_BOARDS, reinterpret_cast<LPARAM>(&nm));
}

void CTestOstrelDlg::DeviceChange(WPARAM wEvent, DWORD dwDeviceType)
{
    DEV_BROADCAST_HDR hdr{};
    hdr.dbch_size = sizeof(hdr);
    hdr.dbch_devicetype = dwDeviceType;
    SendMessage(WM_DEVICECHANGE, wEvent, dwDeviceType ? reinterpret_cast<LPARAM>(&hdr) : 0);
}

int CTestOstrelDlg::SelectedIndex()
{
    return m_pSelected ? static_cast<int>(m_pSelected->nIndex) : -1;
}

CFileDialogAnswer::CFileDialogAnswer(std::string strPath, DWORD dwTimeoutMs)
{
    const DWORD pid = GetCurrentProcessId();
    m_thread = std::thread([this, strPath, dwTimeoutMs, pid] {
        WindowQuery q;
        q.className = "#32770";
        q.pid = pid;
        q.pred = [](HWND h) { return !IsMessageBox(h) && FileNameBox(h) && GetDlgItem(h, IDOK); };
        HWND hDlg = NULL;
        if (!WaitForCondition([&] { return (hDlg = FindTopWindow(q)) != NULL; }, dwTimeoutMs))
            return;
        DWORD_PTR r = 0;
        if (strPath.empty())
        {
            PostMessageA(GetDlgItem(hDlg, IDCANCEL), BM_CLICK, 0, 0);
        }
        else
        {
            if (!SendMessageTimeoutA(FileNameBox(hDlg), WM_SETTEXT, 0,
                                     reinterpret_cast<LPARAM>(strPath.c_str()), SMTO_NORMAL, 5000,
                                     &r))
                return;
            PostMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
        }
        m_bAnswered = WaitForCondition([&] { return !IsWindow(hDlg); }, 10000);
    });
}

CFileDialogAnswer::~CFileDialogAnswer()
{
    Join();
}

bool CFileDialogAnswer::Join()
{
    if (!m_bJoined)
    {
        m_thread.join();
        m_bJoined = true;
    }
    return m_bAnswered;
}
} // namespace ostreltest
