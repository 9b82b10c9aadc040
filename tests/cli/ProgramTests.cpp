// ProgramTests.cpp - what both companions are as programs: console subsystem, version 1.2.0.0,
// --help with the exit codes, and progress rewritten in place on a console.
#include "CliHarness.h"

using namespace clitest;

namespace
{
class CliProgramTest : public testing::TestWithParam<const char *>
{
};

WORD Subsystem(const std::string &strExe)
{
    std::string strImage;
    if (!vtltest::ReadFileText(strExe, strImage) || strImage.size() < 0x400)
        return 0;
    const auto *pDos = reinterpret_cast<const IMAGE_DOS_HEADER *>(strImage.data());
    const auto *pNt =
        reinterpret_cast<const IMAGE_NT_HEADERS64 *>(strImage.data() + pDos->e_lfanew);
    return pNt->OptionalHeader.Subsystem;
}
} // namespace

TEST_P(CliProgramTest, IsAConsoleProgramOfVersion120WithItsExitCodesInHelp)
{
    const std::string strExe = vtltest::BinDir() + GetParam() + ".exe";
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_CUI, Subsystem(strExe));
    DWORD dwHandle = 0;
    std::vector<BYTE> version(GetFileVersionInfoSizeA(strExe.c_str(), &dwHandle));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(
        GetFileVersionInfoA(strExe.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    VS_FIXEDFILEINFO *pInfo = nullptr;
    UINT nLength = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void **>(&pInfo), &nLength));
    EXPECT_EQ(0x00010002u, pInfo->dwFileVersionMS);
    EXPECT_EQ(0u, pInfo->dwFileVersionLS);

    const CliRun run = RunCli(GetParam(), L"--version");
    EXPECT_EQ(0, run.nExit);
    EXPECT_EQ("1.2.0.0\n", run.strOut);

    const CliRun help = RunCli(GetParam(), L"--help");
    EXPECT_EQ(0, help.nExit);
    for (const char *pszLine :
         {"  0    done\n", "  2    library or function missing\n", "  5    verify mismatch\n",
          "  8    refused downgrade\n", "  130  interrupted by Ctrl+C or by closing the console"})
        EXPECT_NE(std::string::npos, help.strOut.find(pszLine)) << pszLine;
}

INSTANTIATE_TEST_SUITE_P(Cli, CliProgramTest, testing::Values("torvane-cli", "ostrel-cli"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string strName = info.param;
                             strName.erase(strName.find('-'), 1);
                             return strName;
                         });

TEST(CliProgress, RewritesOneLineInPlaceOnAConsole)
{
    CSimSession sim(BoardsConfig({""}, "progress_ms = 3000\nprogress_step_ms = 10"));
    CChildProcess process;
    vtltest::ChildOptions options;
    options.dwFlags = CREATE_NO_WINDOW;
    // No redirection: both streams write to the child's own console.
    ASSERT_TRUE(process.Start(CliCommand("torvane-cli", L"erase --board 0"), options));
    // Staying on that console keeps its screen after the child ends.
    const bool bStarted = sim.WaitForCall("board0.SetProgressCallback(", 30000, process.Pid());
    FreeConsole();
    const bool bAttached = bStarted && AttachConsole(process.Pid()) != FALSE;
    const bool bEnded = process.Wait(30000);
    std::vector<std::string> rows;
    HANDLE hScreen =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    for (SHORT y = 0; hScreen != INVALID_HANDLE_VALUE && y < 4; ++y)
    {
        char szRow[81] = "";
        DWORD dwRead = 0;
        ReadConsoleOutputCharacterA(hScreen, szRow, 80, COORD{0, y}, &dwRead);
        std::string strRow(szRow, dwRead);
        strRow.erase(strRow.find_last_not_of(' ') + 1);
        rows.push_back(strRow);
    }
    if (hScreen != INVALID_HANDLE_VALUE)
        CloseHandle(hScreen);
    FreeConsole();

    ASSERT_TRUE(bAttached);
    ASSERT_TRUE(bEnded);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(0u, rows[0].find("100% completed, ")) << rows[0];
    EXPECT_EQ((std::vector<std::string>{"Flash erased!", "", ""}),
              std::vector<std::string>(rows.begin() + 1, rows.end()));
}
