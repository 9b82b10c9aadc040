// BreakTests.cpp - Ctrl+C and closing the console during a long program: the operation ends
// by itself, then the board is released and the library closed, and the code is 130.
#include "CliHarness.h"

using namespace clitest;

namespace
{
enum ConsoleEvent
{
    kCtrlC,
    kClose
};

class CliBreakTest : public testing::TestWithParam<ConsoleEvent>
{
};
} // namespace

TEST_P(CliBreakTest, FinishesTheOperationThenGivesEverythingBack)
{
    CSimSession sim(BoardsConfig({""}, "progress_ms = 4000\nprogress_step_ms = 40"));
    CChildProcess process;
    ASSERT_TRUE(
        process.Start(CliCommand("torvane-cli", L"program \"" + Widen(SamplePath("sample.bit")) +
                                                    L"\" --family virtex"),
                      CliOptions()));
    ASSERT_TRUE(sim.WaitForCall("board0.Progress(", 30000, process.Pid()));

    if (GetParam() == kCtrlC)
    {
        ASSERT_TRUE(SendCtrlC(process.Pid()));
    }
    else
    {
        HANDLE hHandlerThread = SendConsoleClose(process.Process());
        ASSERT_TRUE(hHandlerThread);
        // The system ends a process whose close handler returns, so the handler must not:
        // its thread ends with the process (code 130), never by returning (code 1).
        const HANDLE ahWait[2] = {process.Process(), hHandlerThread};
        EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, ahWait, TRUE, 30000));
        DWORD dwThreadCode = 0;
        GetExitCodeThread(hHandlerThread, &dwThreadCode);
        EXPECT_EQ(130u, dwThreadCode);
        CloseHandle(hHandlerThread);
    }
    const CliRun run = Finish(process, 30000);

    EXPECT_EQ(130, run.nExit) << run.strErr;
    EXPECT_EQ("Board: board 0 at 0x300 (VTL4410), the one Torvane uses\nFamily: Virtex "
              "(--family)\nFlash programmed\n",
              run.strOut);
    const size_t nMessage = run.strErr.find("Interrupted: finishing the current board operation");
    ASSERT_NE(std::string::npos, nMessage) << run.strErr;
    EXPECT_LT(nMessage, run.strErr.find("100% completed")) << "the event came after the operation";

    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    const int nProgram = FindCall(calls, "board0.ProgramFlash(");
    ASSERT_GE(nProgram, 0);
    // The operation ran to its end, then came the release and the close, and nothing else.
    const std::vector<std::string> after(calls.begin() + nProgram, calls.end());
    ASSERT_EQ(3u, after.size());
    EXPECT_NE(std::string::npos, after[0].find(", 1, 1, 0) = 0")) << after[0];
    EXPECT_EQ("board0.ReleaseBoard() = 0", after[1]);
    EXPECT_EQ("VtlUsbClose() = 0", after[2]);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliBreakTest, testing::Values(kCtrlC, kClose),
                         [](const testing::TestParamInfo<ConsoleEvent> &info) {
                             return std::string(info.param == kCtrlC ? "CtrlC" : "ConsoleClose");
                         });
