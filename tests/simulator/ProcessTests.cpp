// ProcessTests.cpp - board locks between processes and hot-plug notifications from vtlsim.
#include "SimTestUtil.h"

#include "VtlDrvUsb.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace simtest;

namespace
{

HANDLE Event(const std::string &name)
{
    return CreateEventA(nullptr, FALSE, FALSE, name.c_str());
}

// Starts simholder.
bool StartHolder(vtltest::CChildProcess &holder, const std::string &args)
{
    return holder.Start(vtltest::Widen("\"" + vtltest::ExeDir() + "simholder.exe\" " + args));
}

// Waits for either the event or the process's end; true only for the event.
bool WaitReady(HANDLE hReady, HANDLE hProcess)
{
    HANDLE hs[2] = {hReady, hProcess};
    return WaitForMultipleObjects(2, hs, FALSE, 20000) == WAIT_OBJECT_0;
}

std::string Prefix(const char *tag)
{
    return "Local\\vtlsimtest-" + std::to_string(GetCurrentProcessId()) + "-" + tag;
}

class BoardLock : public ::testing::TestWithParam<const char *>
{
};

} // namespace

// Another process holds board 0: we get null for it but board 1 is free; once the
// holder releases it (or ends, or is killed), we get it.
TEST_P(BoardLock, SecondProcessWaitsForTheHolder)
{
    const std::string mode = GetParam();
    CSimSession sim("[driver]\nboards = 2\n");
    const std::string prefix = Prefix(mode.c_str());
    HANDLE hReady = Event(prefix + "-ready"), hGo = Event(prefix + "-go");
    vtltest::CChildProcess holder;
    ASSERT_TRUE(StartHolder(holder, "0 " + prefix + " " + mode));
    const HANDLE hProc = holder.Process();
    ASSERT_TRUE(WaitReady(hReady, hProc)) << "holder did not take the board";
    const DWORD holderPid = GetProcessId(hProc);

    ASSERT_EQ(0u, VtlUsbOpen(0));
    EXPECT_EQ(nullptr, VtlUsbOpenBoard(0));
    EXPECT_NE(nullptr, VtlUsbOpenBoard(1));
    BoardInfo bi;
    EXPECT_EQ(0, VtlUsbGetBoardInfo(0, &bi)) << "the record is there for a locked board";
    EXPECT_EQ(1u, bi.dwUsable);

    if (mode == "release")
    {
        SetEvent(hGo);
        ASSERT_TRUE(WaitReady(hReady, hProc)) << "holder did not release";
        EXPECT_NE(nullptr, VtlUsbOpenBoard(0));
        SetEvent(hGo);
    }
    else if (mode == "exit")
        SetEvent(hGo);
    else
        TerminateProcess(hProc, 1);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hProc, 20000));
    EXPECT_NE(nullptr, VtlUsbOpenBoard(0)) << "free after the holder is gone";
    VtlUsbClose();
    // Both processes wrote whole lines into the one journal.
    EXPECT_TRUE(HasLine(sim.Calls(holderPid), "VtlUsbOpenBoard(0) = board0"));
    EXPECT_TRUE(HasLine(sim.Calls(), "VtlUsbOpenBoard(0) = null"));
    EXPECT_TRUE(HasLine(sim.Calls(), "VtlUsbOpenBoard(1) = board1"));
    CloseHandle(hReady);
    CloseHandle(hGo);

    // Our close gave the boards back: another process can take them now.
    const std::string prefix2 = Prefix((mode + "2").c_str());
    HANDLE hReady2 = Event(prefix2 + "-ready");
    vtltest::CChildProcess holder2;
    ASSERT_TRUE(StartHolder(holder2, "0 " + prefix2 + " hang"));
    EXPECT_TRUE(WaitReady(hReady2, holder2.Process()));
    holder2.Kill();
    CloseHandle(hReady2);
}

INSTANTIATE_TEST_SUITE_P(Modes, BoardLock, ::testing::Values("release", "exit", "hang"));

// ---------------------------------------------------------------------------

namespace
{

struct Note
{
    WPARAM wParam;
    DWORD devType; // of the DEV_BROADCAST_HDR behind lParam, 0 when lParam is 0
};

std::vector<Note> g_notes;

LRESULT CALLBACK RecorderProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DEVICECHANGE)
    {
        // The record lives only while the message is being sent: read it now.
        const DEV_BROADCAST_HDR *p = reinterpret_cast<const DEV_BROADCAST_HDR *>(lp);
        g_notes.push_back({wp, p ? p->dbch_devicetype : 0});
        return TRUE;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

HWND MakeRecorder()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtlSimRecorder";
    RegisterClassA(&wc);
    return CreateWindowA("VtlSimRecorder", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

// Pumps this thread's messages until n notes arrived or the time is up.
bool WaitNotes(std::size_t n, DWORD timeoutMs)
{
    const DWORD t0 = GetTickCount();
    while (g_notes.size() < n && GetTickCount() - t0 < timeoutMs)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
    return g_notes.size() >= n;
}

int Vtlsim(const std::string &args, std::string *pOut = nullptr)
{
    return vtltest::RunChild("\"" + vtltest::BinDir() + "vtlsim.exe\" " + args, 20000, pOut);
}

} // namespace

TEST(HotPlug, UnplugAndPlugSendTheNotificationsAndChangeTheNextOpen)
{
    CSimSession sim("[board 0]\ntype = FIRST\n[board 1]\ntype = SECOND\n");
    const std::string journal = sim.JournalPath();
    HWND hwnd = MakeRecorder();
    ASSERT_NE(nullptr, hwnd);
    g_notes.clear();
    ASSERT_EQ(0u, VtlUsbOpen(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hwnd))));
    ASSERT_EQ(2u, VtlUsbGetBoardCount());
    UsbBoard *first = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, first);

    std::string out;
    ASSERT_EQ(0, Vtlsim("unplug 0", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("1 process(es) notified")) << out;
    ASSERT_TRUE(WaitNotes(2, 10000)) << g_notes.size();
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVNODES_CHANGED), g_notes[0].wParam);
    EXPECT_EQ(0u, g_notes[0].devType);
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE), g_notes[1].wParam);
    EXPECT_EQ(static_cast<DWORD>(DBT_DEVTYP_HANDLE), g_notes[1].devType);
    EXPECT_EQ(9, first->EraseEeprom()) << "an unplugged board fails until the next open";
    EXPECT_STREQ("The board was unplugged", first->GetErrorText());

    VtlUsbClose();
    ASSERT_EQ(0u, VtlUsbOpen(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hwnd))));
    ASSERT_EQ(1u, VtlUsbGetBoardCount());
    BoardInfo bi;
    VtlUsbGetBoardInfo(0, &bi);
    EXPECT_STREQ("SECOND", bi.szBoardType);

    out.clear();
    ASSERT_EQ(0, Vtlsim("list", &out));
    EXPECT_NE(std::string::npos, out.find("0 unplugged FIRST 0x300")) << out;
    EXPECT_NE(std::string::npos, out.find("1 plugged SECOND 0x310")) << out;

    g_notes.clear();
    ASSERT_EQ(0, Vtlsim("plug 0"));
    ASSERT_TRUE(WaitNotes(2, 10000)) << g_notes.size();
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEARRIVAL), g_notes[0].wParam);
    EXPECT_EQ(static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE), g_notes[0].devType);
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVNODES_CHANGED), g_notes[1].wParam);
    VtlUsbClose();
    ASSERT_EQ(0u, VtlUsbOpen(0));
    EXPECT_EQ(2u, VtlUsbGetBoardCount());
    VtlUsbClose();

    EXPECT_TRUE(HasLine(JournalLines(journal), "WM_DEVICECHANGE DBT_DEVICEREMOVECOMPLETE board0"));

    // After VtlUsbClose nobody listens in this process any more.
    g_notes.clear();
    out.clear();
    ASSERT_EQ(0, Vtlsim("unplug 1", &out));
    EXPECT_NE(std::string::npos, out.find("0 process(es) notified")) << out;
    EXPECT_FALSE(WaitNotes(1, 300));
    DestroyWindow(hwnd);
}

// The script plugs board 0 at 50 ms and pulls it at 400 ms, in the middle of a flash operation; a
// reopen continues the timeline of the first open.
TEST(HotPlug, ScriptPlugsAndPullsTheBoardDuringAFlashOperation)
{
    CSimSession sim("[driver]\nprogress_ms = 1000\nprogress_step_ms = 10\njournal_times = 1\n"
                    "[board 0]\nunplugged = 1\n[plug]\n50 = plug 0\n400 = unplug 0\n");
    HWND hwnd = MakeRecorder();
    ASSERT_NE(nullptr, hwnd);
    g_notes.clear();
    const auto wnd = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hwnd));
    ASSERT_EQ(0u, VtlUsbOpen(wnd));
    EXPECT_EQ(0u, VtlUsbGetBoardCount());
    ASSERT_TRUE(WaitNotes(2, 10000)) << g_notes.size();
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEARRIVAL), g_notes[0].wParam);
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVNODES_CHANGED), g_notes[1].wParam);
    VtlUsbClose();
    ASSERT_EQ(0u, VtlUsbOpen(wnd));
    ASSERT_EQ(1u, VtlUsbGetBoardCount());
    UsbBoard *b = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, b);
    int nTop = 0;
    auto pfn = [](std::uint32_t, int pct, std::uint32_t, void *p) {
        return *static_cast<int *>(p) = pct, 0;
    };
    ASSERT_EQ(0, b->SetProgressCallback(pfn, &nTop));
    const std::string bit = vtltest::SamplePath("sample.bit");
    EXPECT_EQ(9, b->ProgramFlash(bit.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_GT(nTop, 0);
    EXPECT_LT(nTop, 100);
    EXPECT_STREQ("The board was unplugged", b->GetErrorText());
    ASSERT_TRUE(WaitNotes(4, 10000)) << g_notes.size();
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE), g_notes[3].wParam);
    VtlUsbClose();
    ASSERT_EQ(0u, VtlUsbOpen(0));
    EXPECT_EQ(0u, VtlUsbGetBoardCount());
    VtlUsbClose();
    DestroyWindow(hwnd);
    const std::vector<std::string> calls = sim.Calls();
    const auto plugs = std::count_if(calls.begin(), calls.end(), [](const std::string &c) {
        return c.find(" script plug 0") != std::string::npos;
    });
    EXPECT_EQ(1, plugs) << "the reopen must not start the script over";
    EXPECT_EQ(calls.size(), sim.CallsStartingWith("@").size()) << "every line is stamped";
}

TEST(HotPlug, CommandReportsBadUseAndBadConfiguration)
{
    CSimSession sim("[driver]\nboards = 1\n");
    std::string out;
    EXPECT_EQ(1, Vtlsim("unplug 5", &out));
    EXPECT_NE(std::string::npos, out.find("no board 5")) << out;
    EXPECT_EQ(2, Vtlsim("unplug x"));
    EXPECT_EQ(2, Vtlsim("dance"));
    EXPECT_EQ(0, Vtlsim("check"));
    sim.Write("sim.ini", "[driver]\nboards = lots\n");
    out.clear();
    EXPECT_EQ(1, Vtlsim("check", &out));
    EXPECT_NE(std::string::npos, out.find("sim.ini(2): bad number \"lots\" for boards")) << out;
}
