// TorvaneFace.cpp - Torvane's row for the suites both tools run.
#include "FlashTestHelpers.h"
#include "ToolFace.h"

using namespace flashtest;

namespace
{
const char kFast[] = "[driver]\nprogress_ms = 60\nprogress_step_ms = 5\n";

std::string Config(const std::string &driverKeys)
{
    return "[driver]\n" + driverKeys;
}

bool StartAndClose()
{
    CTestTorvaneDlg dlg;
    bool bShown = false;
    const bool bCancelled = RunDialog(dlg, [&](HWND) { bShown = true; }) == IDCANCEL;
    return bCancelled && bShown;
}

// Erase, the command that needs no file.
void RepeatErase(CSimSession &, const std::function<void(const facetest::Step &)> &body)
{
    CTestTorvaneDlg dlg;
    RunDialog(dlg, [&](HWND h) {
        body([&] {
            Click(h, IDC_ERASE);
            return WaitForIdle(h, 10000);
        });
    });
}
bool RunMain(const std::function<void(HWND)> &script)
{
    CTestTorvaneDlg dlg;
    bool bRan = false;
    RunDialog(
        dlg,
        [&](HWND h) {
            script(h);
            bRan = true;
        },
        60000);
    return bRan;
}
} // namespace

const facetest::ToolFace kFace[] = {
    {"Torvane", Config, StartAndClose, kFast, "VtlUsbClose() = 0", RepeatErase, kFast,
     "board0.EraseFlash() = 0", 0, FailedStartupBoxes,
     "Could not open VtlDrvUsb library.\n The error was ", "\n", nullptr, RunMain,
     "Please wait while the Flash Programming Utility starts.", "board0.GetFlashInfo("},
};

const facetest::ToolFace &facetest::ThisTool()
{
    return kFace[0];
}
