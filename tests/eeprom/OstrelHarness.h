// OstrelHarness.h - runs the real COstrelDlg in-process against the simulator.
#pragma once

#include "ModalRun.h"
#include "OstrelDlg.h"
#include "SimSession.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace ostreltest
{
using vtltest::BoardsConfig;
using vtltest::CSimSession;

// The dialog with its protected parts opened up for tests. RunScript runs the dialog under
// vtltest::RunModal and the script on the dialog's own thread once the dialog is up, then ends
// the dialog. The test fails when the watchdog had to end it, or when the script did not run to
// its end (an exception left it).
class CTestOstrelDlg : public COstrelDlg
{
public:
    // A refresh pauses nRefreshPauseMs with the library closed (0: as the tool does).
    explicit CTestOstrelDlg(DWORD nRefreshPauseMs = 0);

    bool m_bScriptRan = false;

    INT_PTR RunScript(const std::function<void(CTestOstrelDlg &)> &script,
                      DWORD dwTimeoutMs = 90000);

    // Snapshot of the list: one vector of three texts per row.
    std::vector<std::vector<std::string>> Rows();
    int SelectedRow(); // -1 when no row is selected
    bool ButtonsEnabled(bool bEnabled);
    // No refresh running: the buttons are back and the hourglass is gone.
    bool RefreshDone();
    // Asks for one refresh and waits until it is done and has opened the library once more.
    bool RefreshAndWait(const CSimSession &sim, DWORD dwTimeoutMs);
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
    afx_msg LRESULT OnRunScript(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    const std::function<void(CTestOstrelDlg &)> *m_pScript = nullptr;
    vtltest::CScript m_script;
};

} // namespace ostreltest
