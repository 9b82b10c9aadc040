// BoardChoiceTests.cpp - --board, --io and --all, list --json, and a board another program holds.
#include "CliHarness.h"

using namespace clitest;

namespace
{
// List index 0 is the library's board 1: the library's board 0 has no usable record. List
// indexes 1 and 3 share an I/O address.
const std::string kFourBoards =
    BoardsConfig({"usable = 0\nio = 0x300", "io = 0x310", "io = 0x320", "io = 0x330", "io = 0x320"},
                 "progress_ms = 100");

struct Choice
{
    const char *pszName;
    const wchar_t *pszArgs;
    int nCode;
    int nOpened; // the library's index of the one board erased, -1 for none
    const char *pszErr = nullptr;
    const char *pszExe = "ostrel-cli";
};

const Choice kChoices[] = {
    {"First", L"", 0, 1},
    {"ListIndex", L"--board 2", 0, 3},
    {"ListIndexInline", L"--board=0", 0, 1},
    {"Io", L"--io 0x310", 0, 1},
    {"IoUpperCase", L"--io 0X330", 0, 3},
    {"IoOfTwoBoards", L"--io 0x320", 3, -1, "(list indexes 1, 3); use --board N"},
    {"IoOfUnlistedBoard", L"--io 0x300", 3, -1, "0x300 (see \"ostrel-cli list\")"},
    {"IndexPastTheList", L"--board 4", 3, -1, "4 listed (see \"ostrel-cli list\")"},
    {"TorvaneIndexPastTheList", L"--board 5", 3, -1, "4 listed (see \"ostrel-cli list\")",
     "torvane-cli"},
    {"TorvanesBoardUnusable", L"", 3, -1, "the one Torvane uses, has no usable record",
     "torvane-cli"},
    {"TorvaneListIndex", L"--board 0", 0, 1, nullptr, "torvane-cli"},
    {"BoardAndIo", L"--board 1 --io 0x310", 1, -1},
    {"IndexNotANumber", L"--board first", 1, -1},
};

class CliChoiceTest : public testing::TestWithParam<Choice>
{
};
} // namespace

TEST_P(CliChoiceTest, OpensOnlyTheChosenBoard)
{
    const Choice &c = GetParam();
    CSimSession sim(kFourBoards);
    const CliRun run = RunCli(c.pszExe, std::wstring(L"erase ") + c.pszArgs);
    EXPECT_EQ(c.nCode, run.nExit) << run.strErr;
    if (c.pszErr)
    {
        EXPECT_NE(std::string::npos, run.strErr.find(c.pszErr)) << run.strErr;
    }

    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    EXPECT_EQ(c.nOpened < 0 ? 0u : 1u, sim.Count("VtlUsbOpenBoard(", run.dwPid));
    if (c.nOpened >= 0)
    {
        const std::string strBoard = "board" + std::to_string(c.nOpened);
        EXPECT_GE(
            FindCall(calls, "VtlUsbOpenBoard(" + std::to_string(c.nOpened) + ") = " + strBoard), 0);
        EXPECT_GE(FindCall(calls, strBoard + ".Erase"), 0);
    }
    EXPECT_TRUE(GaveEverythingBack(calls));
}

INSTANTIATE_TEST_SUITE_P(Cli, CliChoiceTest, testing::ValuesIn(kChoices),
                         [](const testing::TestParamInfo<Choice> &info) {
                             return std::string(info.param.pszName);
                         });

TEST(CliAll, RunsEachBoardInTurnAndExitsWithTheWorstCode)
{
    CSimSession sim(BoardsConfig({"", "fail.EraseEeprom = 7 EEPROM stuck", ""}));
    const CliRun run = RunCli("ostrel-cli", L"erase --all");
    EXPECT_EQ(4, run.nExit);
    EXPECT_EQ(
        "board 0 at 0x300 (VTL4410): Erase succeeded. Press the reset button on the board for "
        "the changes to take effect.\n"
        "board 1 at 0x310 (VTL4410): failed with code 4 (the library reported a failure)\n"
        "board 2 at 0x320 (VTL4410): Erase succeeded. Press the reset button on the board for "
        "the changes to take effect.\n",
        run.strOut);
    EXPECT_NE(std::string::npos,
              run.strErr.find("board 1 at 0x310 (VTL4410): The EEPROM erase failed\nEEPROM stuck"))
        << run.strErr;

    // One board at a time: each is released before the next is opened.
    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    int nAt = 0;
    for (const char *pszBoard : {"0", "1", "2"})
    {
        const std::string strBoard = std::string("board") + pszBoard;
        for (const std::string &strCall :
             {"VtlUsbOpenBoard(" + std::string(pszBoard) + ")", strBoard + ".EraseEeprom()",
              strBoard + ".ReleaseBoard()"})
        {
            nAt = FindCall(calls, strCall, nAt);
            ASSERT_GE(nAt, 0) << strCall;
        }
    }
    EXPECT_TRUE(GaveEverythingBack(calls));
}

TEST(CliAll, SavesEachBoardToAFileOfItsOwn)
{
    CSimSession sim(BoardsConfig({"eeprom_version = 1.03", "eeprom_version = 1.04"}));
    const std::wstring strFile = L" \"" + Widen(sim.File("b{index}.iic")) + L"\" --all";
    const CliRun save = RunCli("ostrel-cli", L"save" + strFile);
    EXPECT_EQ(0, save.nExit) << save.strErr;
    const CliRun verify = RunCli("ostrel-cli", L"verify" + strFile);
    EXPECT_EQ(0, verify.nExit) << verify.strOut << verify.strErr;
    EXPECT_TRUE(GaveEverythingBack(sim.Calls(save.dwPid)));
}

TEST(CliList, JsonHoldsEveryListedBoardWithItsTextsEscaped)
{
    // \xE9 is e-acute in the ANSI code page; the unterminated type fills all 256 bytes.
    CSimSession sim(
        BoardsConfig({"type = Q\"t\\\\b\\tx\xE9\nio = 0x300\neeprom_version = 1.05",
                      "openable = 0\nio = 0x310", "usable = 0", "eeprom_erased = 1\nio = 0x320",
                      "type = ABC\ntype_unterminated = 1\nio = 0x330"}));
    const CliRun run = RunCli("ostrel-cli", L"list --json");
    ASSERT_EQ(0, run.nExit) << run.strErr;

    JsonValue list;
    ASSERT_TRUE(ParseJson(run.strOut, list)) << run.strOut;
    ASSERT_EQ(JsonValue::kArray, list.nKind);
    ASSERT_EQ(4u, list.items.size()) << run.strOut;
    const wchar_t *const kTypes[] = {L"Q\"t\\b\tx\u00e9", L"VTL4410", L"VTL4410", nullptr};
    const char *const kAddresses[] = {"0x300", "0x310", "0x320", "0x330"};
    for (size_t i = 0; i < list.items.size(); ++i)
    {
        std::map<std::string, JsonValue> &board = list.items[i].members;
        EXPECT_EQ(static_cast<long long>(i), board["index"].nValue);
        EXPECT_EQ(Widen(kAddresses[i]), board["io_address"].strValue);
        EXPECT_EQ(i == 1, board["locked"].bValue) << i;
        if (kTypes[i])
        {
            EXPECT_EQ(kTypes[i], board["board_type"].strValue) << i;
        }
    }
    const std::wstring strLong = list.items[3].members["board_type"].strValue;
    EXPECT_EQ(256u, strLong.size());
    EXPECT_EQ(L"ABCABC", strLong.substr(0, 6));

    JsonValue &version = list.items[0].members["eeprom_version"];
    ASSERT_EQ(JsonValue::kObject, version.nKind);
    EXPECT_EQ(1, version.members["major"].nValue);
    EXPECT_EQ(5, version.members["minor"].nValue);
    EXPECT_EQ(JsonValue::kNull, list.items[1].members["eeprom_version"].nKind); // locked
    EXPECT_EQ(JsonValue::kNull, list.items[2].members["eeprom_version"].nKind); // unreadable
    EXPECT_TRUE(GaveEverythingBack(sim.Calls(run.dwPid)));
}

TEST(CliLock, ABoardAnotherProgramHoldsIsReportedAsLocked)
{
    CSimSession sim(BoardsConfig({""}, "progress_ms = 30000\nprogress_step_ms = 100"));
    CChildProcess holder;
    ASSERT_TRUE(holder.Start(
        CliCommand("torvane-cli", L"program \"" + Widen(SamplePath("sample.bit")) + L"\""),
        CliOptions()));
    ASSERT_TRUE(sim.WaitForCall("board0.Progress(", 30000, holder.Pid()));

    const CliRun run = RunCli("ostrel-cli", L"erase");
    EXPECT_EQ(3, run.nExit);
    EXPECT_NE(std::string::npos, run.strErr.find("Failed to lock board\nboard 0 at 0x300 (VTL4410) "
                                                 "is locked by another program."))
        << run.strErr;
    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    EXPECT_GE(FindCall(calls, "VtlUsbOpenBoard(0) = null"), 0);
    EXPECT_LT(FindCall(calls, "board0."), 0);
    EXPECT_TRUE(GaveEverythingBack(calls));
    // The holder was inside its operation all along; it is killed when the test ends.
    EXPECT_LT(FindCall(sim.Calls(holder.Pid()), "board0.ProgramFlash("), 0);
}
