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
    // The dialog's flags after the message: 1 set, 0 clear, -1 not checked
    int nArrival = -1, nNodes = -1, nRemoval = -1;
};

const Step Arrival{DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, false};
const Step Nodes{DBT_DEVNODES_CHANGED, 0, false};
const Step HandleRemoval{DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_HANDLE, false};

Step Fires(Step s)
{
    s.bExpected = true;
    return s;
}

Step Leaves(Step s, int nArrival, int nNodes, int nRemoval)
{
    s.nArrival = nArrival;
    s.nNodes = nNodes;
    s.nRemoval = nRemoval;
    return s;
}

void ExpectFlag(int nWant, int nFlag, const char *pszName, int n)
{
    if (nWant >= 0)
    {
        EXPECT_EQ(nFlag != 0, nWant == 1) << pszName << " after message " << n;
    }
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
                ExpectFlag(s.nArrival, d.m_bArrival, "arrival", n);
                ExpectFlag(s.nNodes, d.m_bNodesChanged, "nodes", n);
                ExpectFlag(s.nRemoval, d.m_bRemoval, "removal", n);
                ++n;
            }
        }
        // The handler answers 0 whatever it did.
        EXPECT_EQ(d.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), 0);
    });
}
} // namespace

TEST(OstrelDeviceChange, ArrivalAndRemovalRules)
{
    Play({
        {"arrival then nodes", {Arrival, Fires(Nodes)}},
        {"nodes alone", {Nodes, Nodes}},
        {"nodes then handle removal", {Nodes, Fires(HandleRemoval)}},
        {"handle removal then nodes", {Leaves(HandleRemoval, -1, -1, 1), Leaves(Nodes, -1, 1, 0)}},
        {"another device's removal and an arrival after nodes",
         {Leaves(Nodes, -1, 1, -1),
          Leaves({DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_VOLUME, false}, -1, 1, 0),
          Leaves(Arrival, 1, 0, -1)}},
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
