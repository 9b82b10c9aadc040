// FlashTestHelpers.cpp - in-process dialog runs and control access for Torvane's tests.
#include "FlashTestHelpers.h"

#include <gtest/gtest.h>

namespace flashtest
{
INT_PTR RunDialog(CTorvaneDlg &dlg, const std::function<void(HWND)> &script, DWORD timeoutMs)
{
    return vtltest::RunModal([&] { return dlg.DoModal(); }, [&] { return dlg.GetSafeHwnd(); },
                             script, timeoutMs);
}

std::vector<vtltest::MsgBoxRecord> FailedStartupBoxes()
{
    vtltest::CMsgBoxCatcher boxes;
    bool bShown = false;
    {
        CTestTorvaneDlg dlg;
        EXPECT_EQ(RunDialog(
                      dlg, [&](HWND) { bShown = true; }, 5000),
                  IDCANCEL);
    }
    EXPECT_FALSE(bShown) << "the dialog closes without appearing";
    return boxes.Records();
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
