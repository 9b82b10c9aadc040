// CommandTests.cpp - Erase, Save, Update and Verify on the selected board.
#include "OstrelHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "ThrowStyles.h"

using namespace ostreltest;
using namespace vtltest;

namespace
{
const char kResetText[] = "Press the reset button on the board for the changes to take effect.";
const char kInvalidText[] = "This is not a valid Veltrane EEPROM file";

// A C0 image (vendor, product, device id = version, configuration byte).
std::string C0Image(int nMajor, int nMinor)
{
    const unsigned char bytes[8] = {0xC0,
                                    0x54,
                                    0x56,
                                    0x10,
                                    0x44,
                                    static_cast<unsigned char>(nMinor),
                                    static_cast<unsigned char>(nMajor),
                                    0x00};
    return std::string(reinterpret_cast<const char *>(bytes), sizeof(bytes));
}

std::string Question(const char *eeprom, const char *file)
{
    return std::string("The EEPROM currently contains version ") + eeprom +
           ".  The file you selected\ncontains version " + file +
           ". Do you still wish to continue?";
}

void ExpectBox(const MsgBoxRecord &r, const std::string &text, const std::string &caption,
               UINT icon)
{
    EXPECT_EQ(r.text, text);
    EXPECT_EQ(r.caption, caption);
    EXPECT_EQ(r.icon, icon);
}

// Runs one command on the board in row nRow, answering its file dialog with path (none
// when path is null).
void RunCommand(CTestOstrelDlg &d, void (CTestOstrelDlg::*pfn)(), int nRow, const char *pszPath)
{
    d.ClickRow(nRow);
    if (!pszPath)
    {
        (d.*pfn)();
        return;
    }
    CFileDialogAnswerer answer(Widen(pszPath));
    (d.*pfn)();
    EXPECT_TRUE(answer.Join()) << "file dialog not answered";
}
} // namespace

TEST(OstrelErase, ErasesAtOnceWithoutQuestion)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B\nfail.EraseEeprom = 3"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        RunCommand(d, &CTestOstrelDlg::OnErase, 0, nullptr);
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(
            boxes.Record(0),
            "Erase succeeded. Press the reset button on the board for the changes to take effect.",
            "RESET", MB_ICONINFORMATION);
        EXPECT_EQ(boxes.Record(0).owner, d.m_hWnd);
        EXPECT_EQ(sim.Count("board0.EraseEeprom() = 0"), 1u);

        RunCommand(d, &CTestOstrelDlg::OnErase, 1, nullptr);
        ASSERT_EQ(boxes.Count(), 2u);
        ExpectBox(boxes.Record(1), "The EEPROM erase failed", "Erase error", MB_ICONERROR);
    });
}

// A command whose board operation throws; the file, when it needs one, is a newer valid image.
struct ThrowingCommand
{
    const char *pszName;
    void (CTestOstrelDlg::*pfn)();
    const char *pszOperation;
    bool bFile;
};

void PrintTo(const ThrowingCommand &c, std::ostream *os)
{
    *os << c.pszName;
}

class OstrelThrownRecord : public ::testing::TestWithParam<std::tuple<ThrowingCommand, ThrowStyle>>
{
};

TEST_P(OstrelThrownRecord, IsReportedAndLeavesStateAsItWas)
{
    const ThrowingCommand &c = std::get<0>(GetParam());
    const ThrowStyle &style = std::get<1>(GetParam());
    CSimSession sim(BoardsConfig(
        {"type = A", std::string("type = B\nthrow.") + c.pszOperation + " = 13 EEPROM gone"},
        StyleLine(style)));
    const std::string image = sim.File("image.iic");
    ASSERT_TRUE(WriteFileText(image, C0Image(9, 9)));
    // Save writes a new file each time; the others read the image.
    int nRun = 0;
    auto path = [&]() -> std::string {
        if (!c.bFile)
            return std::string();
        return c.pfn == &CTestOstrelDlg::OnSave
                   ? sim.File("saved" + std::to_string(nRun++) + ".iic")
                   : image;
    };
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        std::string file = path();
        RunCommand(d, c.pfn, 1, c.bFile ? file.c_str() : nullptr);
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(boxes.Record(0), ShownText(style, "EEPROM gone", c.pszOperation), "Error",
                  MB_ICONERROR);
        EXPECT_EQ(sim.Calls().back().rfind(std::string("board1.") + c.pszOperation + "("), 0u);
        EXPECT_NE(sim.Calls().back().find("= throw 13 \"EEPROM gone\""), std::string::npos);
        EXPECT_EQ(boxes.Record(0).owner, d.m_hWnd);
        EXPECT_EQ(sim.Count(std::string("board1.") + c.pszOperation), 1u);
        EXPECT_EQ(d.SelectedIndex(), 1);
        EXPECT_EQ(d.SelectedRow(), 1);
        EXPECT_EQ(d.Rows().size(), 2u);
        // The lock was given back: another thread can take it.
        bool bTaken = false;
        std::thread([&] {
            if (TryEnterCriticalSection(&d.m_cs))
            {
                bTaken = true;
                LeaveCriticalSection(&d.m_cs);
            }
        }).join();
        EXPECT_TRUE(bTaken);
        // And the user may retry at once.
        file = path();
        RunCommand(d, c.pfn, 1, c.bFile ? file.c_str() : nullptr);
        EXPECT_EQ(boxes.Count(), 2u);
        EXPECT_EQ(sim.Count(std::string("board1.") + c.pszOperation), 2u);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OstrelThrownRecord,
    ::testing::Combine(
        ::testing::Values(
            ThrowingCommand{"Update", &CTestOstrelDlg::OnUpdate, "ProgramEeprom", true},
            ThrowingCommand{"Save", &CTestOstrelDlg::OnSave, "SaveEeprom", true},
            ThrowingCommand{"Verify", &CTestOstrelDlg::OnVerify, "VerifyEeprom", true},
            ThrowingCommand{"Erase", &CTestOstrelDlg::OnErase, "EraseEeprom", false}),
        ::testing::ValuesIn(kThrowStyles)),
    [](const ::testing::TestParamInfo<std::tuple<ThrowingCommand, ThrowStyle>> &info) {
        return std::string(std::get<0>(info.param).pszName) + "_" + std::get<1>(info.param).pszName;
    });

TEST(OstrelCommands, UnlockedBoardOnlyReportsTheLock)
{
    CSimSession sim(BoardsConfig({"type = Held\nopenable = 0"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const size_t nCallsBefore = sim.Calls().size();
        for (auto pfn : {&CTestOstrelDlg::OnErase, &CTestOstrelDlg::OnSave,
                         &CTestOstrelDlg::OnUpdate, &CTestOstrelDlg::OnVerify})
            RunCommand(d, pfn, 0, nullptr);
        ASSERT_EQ(boxes.Count(), 4u);
        for (const MsgBoxRecord &r : boxes.Records())
            ExpectBox(r,
                      "The board could not be locked. Please make sure that there is\nno other "
                      "application running that might be locking the board.\nThen restart this "
                      "application.",
                      "Failed to lock board", MB_ICONINFORMATION);
        EXPECT_EQ(sim.Calls().size(), nCallsBefore);
    });
}

TEST(OstrelSave, AddsExtensionSilentSuccessWarningOnFailure)
{
    CSimSession sim(
        BoardsConfig({"type = A\neeprom_version = 1.05", "type = B\nfail.SaveEeprom = 2"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const std::string bare = sim.File("saved");
        RunCommand(d, &CTestOstrelDlg::OnSave, 0, bare.c_str());
        EXPECT_EQ(boxes.Count(), 0u);
        std::string content;
        ASSERT_TRUE(ReadFileText(bare + ".iic", content));
        ASSERT_GE(content.size(), 8u);
        EXPECT_EQ(static_cast<unsigned char>(content[0]), 0xC0);
        EXPECT_EQ(static_cast<unsigned char>(content[6]), 1); // device id: version 1.05
        EXPECT_EQ(static_cast<unsigned char>(content[5]), 5);

        // Cancel: nothing happens.
        const size_t nSaves = sim.Count("board0.SaveEeprom");
        RunCommand(d, &CTestOstrelDlg::OnSave, 0, "");
        EXPECT_EQ(sim.Count("board0.SaveEeprom"), nSaves);
        EXPECT_EQ(boxes.Count(), 0u);

        RunCommand(d, &CTestOstrelDlg::OnSave, 1, sim.File("other.iic").c_str());
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(boxes.Record(0), "Could not save the EEPROM file", "Failed", MB_ICONWARNING);
    });
}

TEST(OstrelUpdate, VersionQuestionMatrix)
{
    struct Case
    {
        const char *pszEeprom; // config value
        int nFileMajor, nFileMinor;
        const char *pszAsked; // question's version texts "e|f", or null when not asked
    } cases[] = {
        {"1.2", 1, 3, nullptr}, {"1.2", 1, 2, "1.02|1.02"}, {"1.2", 1, 1, "1.02|1.01"},
        {"1.9", 2, 0, nullptr}, {"1.0", 0, 5, "1.00|0.05"}, {"1.10", 1, 9, "1.10|1.09"},
    };
    std::vector<std::string> boards;
    for (const Case &c : cases)
        boards.push_back(std::string("eeprom_version = ") + c.pszEeprom);
    CSimSession sim(BoardsConfig(boards));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        {
            const Case &c = cases[i];
            SCOPED_TRACE(std::string(c.pszEeprom) + " <- " + std::to_string(c.nFileMajor) + "." +
                         std::to_string(c.nFileMinor));
            const std::string file = sim.File("v" + std::to_string(i) + ".iic");
            ASSERT_TRUE(WriteFileText(file, C0Image(c.nFileMajor, c.nFileMinor)));
            boxes.Clear();
            boxes.PushAnswer(c.pszAsked ? IDYES : IDOK);
            RunCommand(d, &CTestOstrelDlg::OnUpdate, static_cast<int>(i), file.c_str());
            const std::string board = "board" + std::to_string(i) + ".";
            if (c.pszAsked)
            {
                ASSERT_EQ(boxes.Count(), 2u);
                const std::string asked = c.pszAsked;
                ExpectBox(boxes.Record(0),
                          Question(asked.substr(0, 4).c_str(), asked.substr(5).c_str()),
                          "EEPROM Version", MB_ICONWARNING);
                std::vector<int> buttons = boxes.Record(0).buttons;
                std::sort(buttons.begin(), buttons.end());
                EXPECT_EQ(buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
            }
            else
            {
                ASSERT_EQ(boxes.Count(), 1u);
            }
            ExpectBox(boxes.Record(boxes.Count() - 1), kResetText, "RESET", MB_ICONINFORMATION);
            EXPECT_EQ(sim.Count(board + "ProgramEeprom"), 1u);
            // The EEPROM's version is read before the file's.
            EXPECT_LT(sim.Find(board + "GetEepromVersion", true),
                      sim.Find(board + "GetFileVersion"));
        }
    });
}

TEST(OstrelUpdate, UnreadableVersionsNoCancelAndFailure)
{
    CSimSession sim(
        BoardsConfig({"eeprom_erased = 1", "eeprom_version = 1.2\nfail.GetFileVersion = 5",
                      "eeprom_version = 3.0", "eeprom_version = 1.0\nfail.ProgramEeprom = 4"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const std::string older = sim.File("older.iic");
        ASSERT_TRUE(WriteFileText(older, C0Image(0, 1)));
        const std::string newer = sim.File("newer.iic");
        ASSERT_TRUE(WriteFileText(newer, C0Image(9, 9)));

        // Unreadable EEPROM version: never asks.
        RunCommand(d, &CTestOstrelDlg::OnUpdate, 0, older.c_str());
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(boxes.Record(0), kResetText, "RESET", MB_ICONINFORMATION);

        // Unreadable file version: counts as 0.0 and asks.
        boxes.Clear();
        boxes.PushAnswer(IDYES);
        RunCommand(d, &CTestOstrelDlg::OnUpdate, 1, newer.c_str());
        ASSERT_EQ(boxes.Count(), 2u);
        EXPECT_EQ(boxes.Record(0).text, Question("1.02", "0.00"));

        // No and Cancel end silently without programming.
        for (int nAnswer : {IDNO, IDCANCEL})
        {
            boxes.Clear();
            boxes.PushAnswer(nAnswer);
            RunCommand(d, &CTestOstrelDlg::OnUpdate, 2, older.c_str());
            EXPECT_EQ(boxes.Count(), 1u);
            EXPECT_EQ(boxes.Record(0).caption, "EEPROM Version");
        }
        EXPECT_EQ(sim.Count("board2.ProgramEeprom"), 0u);

        boxes.Clear();
        RunCommand(d, &CTestOstrelDlg::OnUpdate, 3, newer.c_str());
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(boxes.Record(0), "The EEPROM could not be programed", "Programming error",
                  MB_ICONERROR);
    });
}

TEST(OstrelVerify, MatchMismatchAndInvalidFiles)
{
    CSimSession sim(BoardsConfig({"eeprom_version = 1.05"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const std::string same = sim.File("same.iic");
        RunCommand(d, &CTestOstrelDlg::OnSave, 0, same.c_str());
        ASSERT_EQ(boxes.Count(), 0u);
        RunCommand(d, &CTestOstrelDlg::OnVerify, 0, same.c_str());
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(boxes.Record(0),
                  "Verification succeeded.  The EEPROM contents match \nthe file you specified.",
                  "Result", MB_ICONINFORMATION);

        const std::string other = sim.File("other.iic");
        ASSERT_TRUE(WriteFileText(other, C0Image(4, 4)));
        boxes.Clear();
        RunCommand(d, &CTestOstrelDlg::OnVerify, 0, other.c_str());
        ASSERT_EQ(boxes.Count(), 1u);
        ExpectBox(boxes.Record(0), "The EEPROM verification failed", "Verification error",
                  MB_ICONERROR);

        // An invalid image, or a file that does not exist, stops Update and Verify after the
        // driver's check; the file dialog lets a missing name through to it.
        const std::string junk = sim.File("junk.iic");
        ASSERT_TRUE(WriteFileText(junk, "not an image"));
        const std::string missing = sim.File("missing.iic");
        const std::pair<void (CTestOstrelDlg::*)(), const std::string *> runs[] = {
            {&CTestOstrelDlg::OnUpdate, &junk},
            {&CTestOstrelDlg::OnVerify, &junk},
            {&CTestOstrelDlg::OnUpdate, &missing},
            {&CTestOstrelDlg::OnVerify, &missing}};
        for (const auto &run : runs)
        {
            SCOPED_TRACE(*run.second);
            boxes.Clear();
            RunCommand(d, run.first, 0, run.second->c_str());
            ASSERT_EQ(boxes.Count(), 1u);
            ExpectBox(boxes.Record(0), kInvalidText, "Invalid file", MB_ICONINFORMATION);
            const std::vector<std::string> calls = sim.Calls();
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ(calls.back().rfind("board0.IsValidEepromFile(", 0), 0u) << calls.back();
            const std::string name = run.second->substr(run.second->rfind('\\') + 1);
            EXPECT_NE(calls.back().find(name + "\") = false"), std::string::npos) << calls.back();
        }
    });
}
