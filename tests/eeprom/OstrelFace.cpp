// OstrelFace.cpp - Ostrel's row for the suites both tools run.
#include "OstrelHarness.h"
#include "ToolFace.h"

#include <atomic>
#include <thread>

using namespace ostreltest;

namespace
{
std::string Config(const std::string &driverKeys)
{
    return BoardsConfig({"type = A"}, driverKeys);
}

// Three boards, one of which cannot be opened: all three are listed.
bool StartAndClose()
{
    CTestOstrelDlg dlg;
    size_t nRows = 0;
    dlg.RunScript([&](CTestOstrelDlg &d) { nRows = d.Rows().size(); });
    return dlg.m_bScriptRan && nRows == 3u;
}

// A refresh, with a short pause while the library is closed.
void RepeatRefresh(CSimSession &sim, const std::function<void(const facetest::Step &)> &body)
{
    CTestOstrelDlg dlg(50);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        body([&] { return d.RefreshAndWait(sim, 10000) && d.Rows().size() == 2u; });
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
}

// The dialog still comes up, empty and with its buttons off.
std::vector<vtltest::MsgBoxRecord> FailedStartBoxes()
{
    vtltest::CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_TRUE(d.Rows().empty());
        EXPECT_TRUE(d.ButtonsEnabled(false));
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
    return boxes.Records();
}
// The script runs on the dialog's thread, so the dialog's messages are pumped here meanwhile.
bool RunMain(const std::function<void(HWND)> &script)
{
    CTestOstrelDlg dlg;
    std::atomic<bool> bRan{false};
    dlg.RunScript([&](CTestOstrelDlg &d) {
        std::thread runner([&] {
            script(d.m_hWnd);
            bRan = true;
        });
        vtltest::WaitForCondition([&] { return bRan.load(); }, 60000);
        runner.join();
    });
    return bRan && dlg.m_bScriptRan;
}
} // namespace

const facetest::ToolFace kFace[] = {
    {"Ostrel", Config, StartAndClose,
     BoardsConfig({"type = A", "type = B\nopenable = 0", "type = C"}), "VtlUsbClose()",
     RepeatRefresh, BoardsConfig({"type = A", "type = B"}), "VtlUsbOpen(", 1, FailedStartBoxes,
     "There was an error while trying to open the library.\n", " [Error 0x5]", "Error", RunMain,
     "Loading library ...", "VtlUsbOpen("},
};

const facetest::ToolFace &facetest::ThisTool()
{
    return kFace[0];
}
