// DeviceChangeTests.cpp - which sequences of device notifications ask for a refresh.
#include "OstrelHarness.h"

#include <dbt.h>
#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

namespace
{
struct Step
{
    WPARAM wEvent;
    DWORD dwType;   // device type of a removal's header, 0 for none
    bool bExpected; // refresh requested by this very message
};

const Step Arrival{DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, false};
const Step Nodes{DBT_DEVNODES_CHANGED, 0, false};
const Step HandleRemoval{DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_HANDLE, false};

Step Fires(Step s)
{
    s.bExpected = true;
    return s;
}

// Runs body on the real dialog with its refresh event swapped for a probe the test reads (the
// refresh thread keeps waiting on its own copy).
void RunWithProbe(const std::function<void(CTestOstrelDlg &, HANDLE)> &body)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        HANDLE hProbe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const HANDLE hOriginal = d.m_hRefreshEvent;
        d.m_hRefreshEvent = hProbe;
        body(d, hProbe);
        d.m_hRefreshEvent = hOriginal;
        CloseHandle(hProbe);
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
}

// Plays each sequence from the initial state.
void Play(const std::vector<std::pair<const char *, std::vector<Step>>> &sequences)
{
    RunWithProbe([&](CTestOstrelDlg &d, HANDLE hProbe) {
        for (const auto &seq : sequences)
        {
            SCOPED_TRACE(seq.first);
            d.m_bArrival = d.m_bNodesChanged = d.m_bRemoval = 0;
            int n = 0;
            for (const Step &s : seq.second)
            {
                d.DeviceChange(s.wEvent, s.dwType);
                EXPECT_EQ(WaitForSingleObject(hProbe, 0) == WAIT_OBJECT_0, s.bExpected)
                    << "message " << n;
                ++n;
            }
        }
    });
}
} // namespace

TEST(OstrelDeviceChange, ArrivalAndRemovalRules)
{
    Play({
        {"arrival then nodes", {Arrival, Fires(Nodes)}},
        {"nodes alone", {Nodes, Nodes}},
        {"nodes then handle removal", {Nodes, Fires(HandleRemoval)}},
        {"handle removal then nodes", {HandleRemoval, Nodes}},
        {"other device types",
         {Nodes,
          {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_VOLUME, false},
          {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, false},
          {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_PORT, false},
          {DBT_DEVICEREMOVECOMPLETE, 0, false},
          Fires(HandleRemoval)}},
        {"lone nodes, unrelated events, later a handle removal",
         {Nodes,
          {DBT_DEVICEQUERYREMOVE, 0, false},
          {DBT_CONFIGCHANGED, 0, false},
          {DBT_DEVICEREMOVEPENDING, 0, false},
          Fires(HandleRemoval)}},
        {"arrival between two nodes discards the first", {Nodes, Arrival, Fires(Nodes)}},
        {"two arrivals give one request", {Arrival, Arrival, Fires(Nodes), Nodes}},
        {"simulated unplug after a plug", {Arrival, Fires(Nodes), Nodes, Fires(HandleRemoval)}},
    });
}

TEST(OstrelDeviceChange, FlagsAfterEachKindOfMessage)
{
    RunWithProbe([](CTestOstrelDlg &d, HANDLE hProbe) {
        d.DeviceChange(DBT_DEVNODES_CHANGED);
        EXPECT_TRUE(d.m_bNodesChanged);
        d.DeviceChange(DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_VOLUME);
        EXPECT_FALSE(d.m_bRemoval);
        EXPECT_TRUE(d.m_bNodesChanged);
        d.DeviceChange(DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE);
        EXPECT_TRUE(d.m_bArrival);
        EXPECT_FALSE(d.m_bNodesChanged);
        d.m_bArrival = 0;
        d.DeviceChange(DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_HANDLE);
        EXPECT_TRUE(d.m_bRemoval);
        d.DeviceChange(DBT_DEVNODES_CHANGED);
        EXPECT_FALSE(d.m_bRemoval);
        EXPECT_TRUE(d.m_bNodesChanged);
        EXPECT_EQ(WaitForSingleObject(hProbe, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        // The handler answers 0 whatever it did.
        EXPECT_EQ(d.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), 0);
    });
}
