// OstrelHarness.cpp - the in-process test dialog.
#include "OstrelHarness.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

using namespace vtltest;

namespace ostreltest
{
namespace
{
constexpr UINT WM_RUN_SCRIPT = WM_APP + 17;
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CTestOstrelDlg, COstrelDlg)
    ON_MESSAGE(WM_RUN_SCRIPT, &CTestOstrelDlg::OnRunScript)
END_MESSAGE_MAP()
// clang-format on

CTestOstrelDlg::CTestOstrelDlg(DWORD nRefreshPauseMs)
{
    if (nRefreshPauseMs != 0)
        m_nRefreshPauseMs = nRefreshPauseMs;
}

INT_PTR CTestOstrelDlg::RunScript(const std::function<void(CTestOstrelDlg &)> &script,
                                  DWORD dwTimeoutMs)
{
    m_pScript = &script;
    return RunModal([this] { return DoModal(); }, [this] { return GetSafeHwnd(); },
                    [this](HWND hDlg) {
                        // The script runs on the dialog's thread, inside its modal loop.
                        ::SendMessageA(hDlg, WM_RUN_SCRIPT, 0, 0);
                        if (!m_script.Finished())
                            throw std::runtime_error(m_script.Stop());
                    },
                    dwTimeoutMs);
}

LRESULT CTestOstrelDlg::OnRunScript(WPARAM, LPARAM)
{
    m_bScriptRan = true;
    m_script.Run([this] {
        try
        {
            (*m_pScript)(*this);
        }
        catch (const VTLExc &e)
        {
            throw std::runtime_error(
                "VTLExc \"" +
                std::string(e.m_szMessage, strnlen(e.m_szMessage, sizeof e.m_szMessage)) + "\"");
        }
    });
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

bool CTestOstrelDlg::RefreshDone()
{
    return ButtonsEnabled(true) && !m_bHourglass;
}

bool CTestOstrelDlg::RefreshAndWait(const CSimSession &sim, DWORD dwTimeoutMs)
{
    const size_t nOpens = sim.Count("VtlUsbOpen(");
    SetEvent(m_hRefreshEvent);
    return WaitForCondition([&] { return sim.Count("VtlUsbOpen(") == nOpens + 1 && RefreshDone(); },
                            dwTimeoutMs);
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

} // namespace ostreltest
