// FlashTestHelpers.h - runs the real Torvane dialog in-process against the simulator.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

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

// Simulator set-up for one test: a config file and a journal in a scratch directory,
// named by the simulator's environment variables while the object lives.
class CSimSession
{
public:
    explicit CSimSession(const std::string &strConfig = std::string());
    ~CSimSession();
    CSimSession(const CSimSession &) = delete;
    CSimSession &operator=(const CSimSession &) = delete;

    const std::string &ConfigPath() const { return m_strConfig; }
    const std::string &JournalPath() const { return m_strJournal; }
    const vtltest::CTempDir &Dir() const { return m_dir; }

    // Journal lines of this process, without the pid prefix.
    std::vector<std::string> Calls() const;
    // Calls that start with prefix.
    std::vector<std::string> CallsStartingWith(const std::string &prefix) const;
    int Count(const std::string &prefix) const
    {
        return static_cast<int>(CallsStartingWith(prefix).size());
    }
    // Waits (pumping) until a call starting with prefix was journaled.
    bool WaitForCall(const std::string &prefix, DWORD timeoutMs) const;

private:
    vtltest::CTempDir m_dir;
    std::string m_strConfig;
    std::string m_strJournal;
};

// Full path of a sample input file shipped with the simulator.
std::string SamplePath(const char *pszName);

// Runs dlg.DoModal() on this thread while script runs on a helper thread. The script gets the
// dialog window once it is shown and its modal loop runs; it does not run when start-up ends
// without showing the dialog. When the script returns and the dialog is still open, IDCANCEL is
// posted; a watchdog posts it timeoutMs + 5 s after the start. The test fails when the watchdog
// had to, or when the script left early by an exception. Returns DoModal's result.
INT_PTR RunDialog(CTorvaneDlg &dlg, const std::function<void(HWND)> &script,
                  DWORD timeoutMs = 20000);

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
