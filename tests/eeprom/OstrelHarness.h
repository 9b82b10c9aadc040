// OstrelHarness.h - runs the real COstrelDlg in-process against the simulator.
#pragma once

#include "OstrelDlg.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ostreltest
{
// Simulator configuration and journal in a fresh folder, named in this process's
// environment for as long as the object lives.
class CSimSession
{
public:
    explicit CSimSession(const std::string &strConfig);
    ~CSimSession();
    CSimSession(const CSimSession &) = delete;
    CSimSession &operator=(const CSimSession &) = delete;

    const vtltest::CTempDir &Dir() const { return m_dir; }
    std::string File(const std::string &name) const { return m_dir.File(name); }
    const std::string &ConfigPath() const { return m_strConfig; }
    const std::string &JournalPath() const { return m_strJournal; }
    // Variables for a child process that should see the same boards.
    std::vector<std::pair<std::string, std::string>> Env() const;

    // Journal lines of process pid (default: this one) without the pid.
    std::vector<std::string> Calls(DWORD pid = GetCurrentProcessId()) const;
    // How many of them start with prefix.
    size_t Count(const std::string &prefix, DWORD pid = GetCurrentProcessId()) const;
    // Position of the first (or last) call starting with prefix, -1 when none.
    int Find(const std::string &prefix, bool bLast = false) const;

private:
    vtltest::CTempDir m_dir;
    std::string m_strConfig;
    std::string m_strJournal;
};

// A config of boards given as section bodies: "type = A\nio = 0x300\n...".
std::string BoardsConfig(const std::vector<std::string> &boards,
                         const std::string &strDriver = std::string());

// The dialog with its protected parts opened up for tests. RunScript runs the script once the
// dialog is up, then ends the dialog; a watchdog ends it if the script hangs. The test fails
// when the watchdog had to, or when the script did not run to its end (an exception left it).
class CTestOstrelDlg : public COstrelDlg
{
public:
    CTestOstrelDlg() = default;

    std::function<void(CTestOstrelDlg &)> m_script;
    DWORD m_nWatchdogMs = 90000;
    bool m_bScriptRan = false;
    bool m_bScriptFinished = false;
    std::string m_strScriptStop; // what ended the script early

    INT_PTR RunScript(std::function<void(CTestOstrelDlg &)> script);

    // Snapshot of the list: one vector of three texts per row.
    std::vector<std::vector<std::string>> Rows();
    int SelectedRow(); // -1 when no row is selected
    bool ButtonsEnabled(bool bEnabled);
    // Sends an NM_CLICK / NM_RCLICK notification for row (or -1) as the list would.
    void ClickRow(int nRow, bool bRight = false);
    // Sends WM_DEVICECHANGE to the dialog; pHeader may be null.
    void DeviceChange(WPARAM wEvent, DWORD dwDeviceType = 0);
    int SelectedIndex(); // board index of m_pSelected, -1 when none

    using COstrelDlg::CheckBoardLock;
    using COstrelDlg::m_bArrival;
    using COstrelDlg::m_bHourglass;
    using COstrelDlg::m_bNodesChanged;
    using COstrelDlg::m_boards;
    using COstrelDlg::m_bRemoval;
    using COstrelDlg::m_btnErase;
    using COstrelDlg::m_btnSave;
    using COstrelDlg::m_btnUpdate;
    using COstrelDlg::m_btnVerify;
    using COstrelDlg::m_cs;
    using COstrelDlg::m_hRefreshEvent;
    using COstrelDlg::m_lstBoards;
    using COstrelDlg::m_nBoards;
    using COstrelDlg::m_nRefreshPauseMs;
    using COstrelDlg::m_pSelected;
    using COstrelDlg::OnErase;
    using COstrelDlg::OnSave;
    using COstrelDlg::OnUpdate;
    using COstrelDlg::OnVerify;

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnRunScript(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};

// Answers the next file dialog of this process from another thread: types path and
// presses OK (or Cancel when path is empty). Join() tells whether it was answered.
class CFileDialogAnswer
{
public:
    explicit CFileDialogAnswer(std::string strPath, DWORD dwTimeoutMs = 20000);
    ~CFileDialogAnswer();
    bool Join();

private:
    std::thread m_thread;
    bool m_bAnswered = false;
    bool m_bJoined = false;
};
} // namespace ostreltest
