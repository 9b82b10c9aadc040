// FlashTestHelpers.h - the real Torvane dialog in-process against the simulator.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "ModalRun.h"
#include "SimSession.h"
#include "TestSupport.h"
#include "TorvaneDlg.h"

namespace flashtest
{

// The dialog with its internals in reach and a clock the test sets (FILETIME units).
class CTestTorvaneDlg : public CTorvaneDlg
{
public:
    CTestTorvaneDlg() = default;

    std::atomic<bool> m_bFakeClock{false};
    std::atomic<ULONGLONG> m_ftNow{0};

    HWND Ctl(int nId) const { return ::GetDlgItem(m_hWnd, nId); }
    HANDLE EraseEvent() const { return m_hEraseEvent; }
    HANDLE ProgramEvent() const { return m_hProgramEvent; }
    HANDLE EraseBitstreamEvent() const { return m_hEraseBitstreamEvent; }
    CRITICAL_SECTION &Lock() { return m_cs; }
    FpgaFamily Family() const { return m_nFamily; }
    UsbBoard *Board() const { return m_pBoard; }
    void SetClockSeconds(double s) { m_ftNow = kClockBase + static_cast<LONGLONG>(s * 10000000.0); }

    static constexpr ULONGLONG kClockBase = 133000000000000000ULL;

protected:
    ULONGLONG GetCurrentTime64() const override
    {
        return m_bFakeClock ? m_ftNow.load() : CTorvaneDlg::GetCurrentTime64();
    }
};

using vtltest::CSimSession;
using vtltest::SamplePath;

// Runs dlg.DoModal() under vtltest::RunModal: script gets the dialog window on a helper thread
// once the dialog is shown and its modal loop runs.
INT_PTR RunDialog(CTorvaneDlg &dlg, const std::function<void(HWND)> &script,
                  DWORD timeoutMs = 20000);

// Runs a start-up that must fail: the dialog ends with IDCANCEL without ever showing. The message
// boxes it raised.
std::vector<vtltest::MsgBoxRecord> FailedStartupBoxes();

// Test-thread view of controls of a dialog window.
std::string Text(HWND hDlg, int nId);
void SetText(HWND hDlg, int nId, const std::string &text);
bool Enabled(HWND hDlg, int nId);
int Checked(HWND hDlg, int nId);
// Presses a button and waits until its handler returned.
void Click(HWND hDlg, int nId);
// Waits until a command has ended: the command buttons and the inputs are enabled again.
bool WaitForIdle(HWND hDlg, DWORD timeoutMs);
// Waits until control nId holds exactly text.
bool WaitForText(HWND hDlg, int nId, const std::string &text, DWORD timeoutMs);

} // namespace flashtest
