// OutcomeTests.cpp - each exit code, with its message on the right stream, and every board and
// the library given back, whatever the outcome.
#include "CliHarness.h"

using namespace clitest;

namespace
{
enum Place
{
    kBeside,     // run from build/bin, beside the simulator
    kNoLibrary,  // a copy in a folder without the library, on a search path without it
    kNoFunction, // a copy beside a library that lacks VtlUsbOpen
    kStubInCwd,  // a copy run from a folder with that library, the simulator on PATH
};

struct Outcome
{
    const char *pszName;
    const char *pszExe;
    Place nPlace;
    const char *pszConfig;
    const wchar_t *pszArgs; // {samples} and {scratch} stand for those folders, {path259} and
                            // {path260} for a file in scratch whose full path has that length
    int nCode;
    bool bStdout; // where pszText must appear (and not in the other stream)
    const char *pszText;
    const char *pszCall;                 // a journal call that must be there, or null
    const char *pszNoCall;               // a journal call that must not be there, or null
    const char *pszBreakAfter = nullptr; // Ctrl+C comes once this call is journaled
};

const Outcome kOutcomes[] = {
    {"Done", "torvane-cli", kBeside, "[driver]\nprogress_ms = 100\n", L"erase", 0, true,
     "Flash erased!", "board0.EraseFlash() = 0", nullptr},
    {"Saved", "ostrel-cli", kBeside, "", L"save \"{scratch}out.iic\"", 0, true, "EEPROM saved to",
     "board0.SaveEeprom(", nullptr},
    {"BadUsage", "ostrel-cli", kBeside, "", L"erase --io 300", 1, false,
     "--io takes a hexadecimal address such as 0x300", nullptr, "VtlUsbOpen("},
    {"VersionOptionFirst", "torvane-cli", kBeside, "", L"--version 2.1 erase", 1, false,
     "--version does not apply to erase", nullptr, "VtlUsbOpen("},
    {"OptionsBeforeFile", "torvane-cli", kBeside, "", L"program \"{scratch}none.bit\" --family foo",
     1, false, "--family takes spartan or virtex", nullptr, "VtlUsbOpen("},
    {"SaveAllToOneFile", "ostrel-cli", kBeside, "[driver]\nboards = 2\n",
     L"save \"{scratch}out.iic\" --all", 1, false, "save needs {index} or {io}", nullptr,
     "VtlUsbOpen("},
    {"SaveAllToOneAddress", "ostrel-cli", kBeside, "[driver]\nboards = 2\n[board 1]\nio = 0x300\n",
     L"save \"{scratch}{io}.iic\" --all", 1, false, "would both be written to", "VtlUsbClose(",
     "VtlUsbOpenBoard("},
    {"ReleaseThrows", "ostrel-cli", kBeside, "[board 0]\nthrow.ReleaseBoard = 21 Release lost\n",
     L"erase", 7, false, "Release lost (driver exception, code 21)",
     "board0.ReleaseBoard() = throw 21", nullptr},
    {"LibraryMissing", "torvane-cli", kNoLibrary, "", L"info", 2, false,
     "Could not find VtlDrvUsb.dll (system error 7e)", nullptr, nullptr},
    {"FunctionMissing", "ostrel-cli", kNoFunction, "", L"list", 2, false,
     "Could not locate VtlUsbOpen() function.", nullptr, nullptr},
    {"WorkingFolderNotSearched", "ostrel-cli", kStubInCwd, "", L"list", 0, true, "0x300",
     "VtlUsbGetBoardInfo(0)", nullptr},
    {"NoBoard", "ostrel-cli", kBeside, "[driver]\nboards = 0\n", L"erase", 3, false,
     "No Veltrane carrier boards found.", "VtlUsbGetBoardCount() = 0", "VtlUsbOpenBoard("},
    {"LibraryFailure", "torvane-cli", kBeside, "[board 0]\nvirtex = empty\n",
     L"erase-bitstream --family virtex", 4, false,
     "There is no bitstream in the flash to erase:\nno bitstream stored for Virtex",
     "board0.EraseBitstream(1) = 4", nullptr},
    {"OpenFailure", "ostrel-cli", kBeside, "[driver]\nfail.VtlUsbOpen = 5 USB driver not loaded\n",
     L"list", 4, false,
     "There was an error while trying to open the library.\nUSB driver not loaded [Error 0x5]",
     "VtlUsbOpen(0x0) = 5", "VtlUsbOpenBoard("},
    {"VerifyMismatch", "ostrel-cli", kBeside, "", L"verify \"{samples}sample.iic\"", 5, false,
     "The EEPROM verification failed", "board0.VerifyEeprom(", nullptr},
    {"MissingFile", "ostrel-cli", kBeside, "", L"update \"{scratch}none.iic\"", 6, false,
     "cannot find the file", nullptr, "VtlUsbOpen("},
    {"SaveIntoFolder", "ostrel-cli", kBeside, "", L"save \"{scratch}.\"", 6, false,
     "is a folder, not a file", nullptr, "VtlUsbOpen("},
    {"InvalidImage", "ostrel-cli", kBeside, "", L"verify \"{scratch}sim.ini\"", 6, false,
     "This is not a valid Veltrane EEPROM file", "board0.IsValidEepromFile(",
     "board0.VerifyEeprom("},
    {"PathOf260Bytes", "ostrel-cli", kBeside, "", L"save \"{path260}\"", 6, false,
     "is 260 bytes long; the library takes at most 259", nullptr, "VtlUsbOpen("},
    {"PathOf259Bytes", "ostrel-cli", kBeside, "", L"save \"{path259}\"", 0, true, "EEPROM saved to",
     "board0.SaveEeprom(", nullptr},
    {"PathNotAnsi", "ostrel-cli", kBeside, "", L"save \"{scratch}\u0394\u03b5\u03bb.iic\"", 6,
     false, "cannot represent", nullptr, "VtlUsbOpen("},
    {"DriverException", "ostrel-cli", kBeside,
     "[driver]\nthrow_style = class\n[board 0]\nthrow.EraseEeprom = 13 EEPROM gone\n", L"erase", 7,
     false, "EEPROM gone (driver exception, code 13)", "board0.EraseEeprom() = throw 13", nullptr},
    {"RefusedDowngrade", "ostrel-cli", kBeside, "[board 0]\neeprom_version = 1.10\n",
     L"update \"{samples}sample.iic\"", 8, false,
     "The EEPROM currently contains Ver 1.10 and the file Ver 1.05, which is not newer",
     "board0.GetFileVersion(", "board0.ProgramEeprom("},
    {"EqualVersionRefused", "ostrel-cli", kBeside, "[board 0]\neeprom_version = 1.07\n",
     L"update \"{samples}sample_c2.iic\"", 8, false, "not written (--allow-downgrade writes it)",
     "board0.GetEepromVersion() = 0 1.7", "board0.ProgramEeprom("},
    {"IdenticalNotWritten", "ostrel-cli", kBeside, "[board 0]\neeprom_version = 1.05\n",
     L"update \"{samples}sample.iic\"", 0, true,
     "The EEPROM already holds this image; nothing written (--force writes it).",
     "board0.VerifyEeprom(", "board0.ProgramEeprom("},
    {"VerifyFailsRestored", "ostrel-cli", kBeside,
     "[board 0]\nfail.VerifyEeprom = 6 Differs at 0x5\nfail_times.VerifyEeprom = 2\n",
     L"update \"{samples}sample.iic\" --backup-dir \"{scratch}bk\"", 5, false,
     "Differs at 0x5\nThe backup ", "board0.SaveEeprom(", nullptr},
    {"WriteFailsNotRestored", "ostrel-cli", kBeside, "[board 0]\nfail.ProgramEeprom = 7\n",
     L"update \"{samples}sample.iic\" --backup-dir \"{scratch}bk\"", 4, false,
     "restore it with:\n  ostrel-cli restore --from \"", "board0.SaveEeprom(", nullptr},
    {"NoBackup", "ostrel-cli", kBeside, "", L"update \"{samples}sample.iic\" --no-backup", 0, true,
     "EEPROM updated.", "board0.ProgramEeprom(", "board0.SaveEeprom("},
    {"NoBackupToRestore", "ostrel-cli", kBeside, "", L"restore --backup-dir \"{scratch}bk\"", 6,
     false, "No backup of I/O address 0x300 in ", nullptr, "board0.ProgramEeprom("},
    {"NoBackupsListed", "ostrel-cli", kBeside, "", L"backups --backup-dir \"{scratch}bk\"", 0, true,
     "No backups in ", nullptr, "VtlUsbOpen("},
    {"DowngradeAllowed", "ostrel-cli", kBeside, "[board 0]\neeprom_version = 2.0\n",
     L"update --allow-downgrade \"{samples}sample.iic\"", 0, true, "EEPROM updated.",
     "board0.ProgramEeprom(", nullptr},
    // Ctrl+C while a call before the operation runs: the operation never starts.
    {"BreakInSetProgressCallback", "torvane-cli", kBeside,
     "[board 0]\ndelay.SetProgressCallback = 4000\n", L"erase", 130, false,
     "The run was interrupted; exit code 130", "board0.ReleaseBoard(", "board0.EraseFlash(",
     "VtlUsbOpenBoard(0) = board0"},
    {"BreakInFileCheck", "ostrel-cli", kBeside, "[board 0]\ndelay.IsValidEepromFile = 4000\n",
     L"update \"{samples}sample.iic\"", 130, false, "The run was interrupted; exit code 130",
     "board0.ReleaseBoard(", "board0.GetEepromVersion(", "VtlUsbOpenBoard(0) = board0"},
    {"BreakAfterFailure", "ostrel-cli", kBeside,
     "[driver]\nboards = 2\n[board 0]\nfail.ProgramEeprom = 7\n[board 1]\n"
     "delay.IsValidEepromFile = 4000\n",
     L"update \"{samples}sample.iic\" --all", 4, false, "The run was interrupted; exit code 4",
     "board0.ReleaseBoard(", "board1.GetEepromVersion(", "board0.ProgramEeprom("},
    {"CountBeyondBound", "ostrel-cli", kBeside, "[driver]\nboard_count = 0xFFFFFFFF\n", L"list", 0,
     true, "0x300", "VtlUsbGetBoardInfo(255)", "VtlUsbGetBoardInfo(256)"},
    {"UnreadableEepromVersion", "ostrel-cli", kBeside, "[board 0]\neeprom_erased = 1\n",
     L"update \"{samples}sample.iic\"", 0, true, "EEPROM updated.", "board0.ProgramEeprom(",
     nullptr},
};

std::wstring Expand(std::wstring strArgs, const CSimSession &sim)
{
    for (const size_t nLength : {259u, 260u})
    {
        const std::wstring strMark = L"{path" + std::to_wstring(nLength) + L"}";
        const std::wstring strDir = Widen(sim.File(""));
        const size_t i = strArgs.find(strMark);
        if (i != std::wstring::npos)
            strArgs.replace(i, strMark.size(),
                            strDir + std::wstring(nLength - strDir.size() - 4, L'x') + L".iic");
    }
    for (const auto &place : {std::make_pair(std::wstring(L"{samples}"), SamplePath("")),
                              std::make_pair(std::wstring(L"{scratch}"), sim.File(""))})
    {
        for (size_t i; (i = strArgs.find(place.first)) != std::wstring::npos;)
            strArgs.replace(i, place.first.size(), Widen(place.second));
    }
    return strArgs;
}

// Starts the program where the outcome wants it.
bool Start(CChildProcess &process, const Outcome &o, const CSimSession &sim)
{
    const std::wstring strArgs = Expand(o.pszArgs, sim);
    vtltest::ChildOptions options = CliOptions();
    // Backups by default into the test's folder
    options.vars.push_back({"LOCALAPPDATA", sim.Dir().Path()});
    if (o.nPlace == kBeside)
        return process.Start(CliCommand(o.pszExe, strArgs), options);
    const std::string strExe = sim.File(std::string(o.pszExe) + ".exe");
    CopyFileA((vtltest::BinDir() + o.pszExe + ".exe").c_str(), strExe.c_str(), FALSE);
    if (o.nPlace == kNoFunction)
        CopyFileA((vtltest::ExeDir() + "loaderstubs\\no_open\\VtlDrvUsb.dll").c_str(),
                  sim.File("VtlDrvUsb.dll").c_str(), FALSE);
    options.strDir =
        o.nPlace == kStubInCwd ? vtltest::ExeDir() + "loaderstubs\\no_open" : sim.File("");
    options.bCleanPath = o.nPlace != kStubInCwd;
    return process.Start(L"\"" + Widen(strExe) + L"\" " + strArgs, options);
}

class CliOutcomeTest : public testing::TestWithParam<Outcome>
{
};
} // namespace

TEST_P(CliOutcomeTest, ExitsWithItsCodeAndGivesEverythingBack)
{
    const Outcome &o = GetParam();
    CSimSession sim(o.pszConfig);
    CChildProcess process;
    ASSERT_TRUE(Start(process, o, sim));
    if (o.pszBreakAfter)
    {
        ASSERT_TRUE(sim.WaitForCall(o.pszBreakAfter, 30000, process.Pid()));
        ASSERT_TRUE(SendCtrlC(process.Pid()));
    }
    const CliRun run = Finish(process);

    EXPECT_EQ(o.nCode, run.nExit) << "stdout:\n" << run.strOut << "stderr:\n" << run.strErr;
    const std::string &strStream = o.bStdout ? run.strOut : run.strErr;
    const std::string &strOther = o.bStdout ? run.strErr : run.strOut;
    EXPECT_NE(std::string::npos, strStream.find(o.pszText)) << strStream;
    EXPECT_EQ(std::string::npos, strOther.find(o.pszText)) << strOther;

    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    if (o.pszCall)
    {
        EXPECT_GE(FindCall(calls, o.pszCall), 0) << o.pszCall;
    }
    if (o.pszNoCall)
    {
        EXPECT_LT(FindCall(calls, o.pszNoCall), 0) << o.pszNoCall;
    }
    EXPECT_TRUE(GaveEverythingBack(calls));
}

INSTANTIATE_TEST_SUITE_P(Cli, CliOutcomeTest, testing::ValuesIn(kOutcomes),
                         [](const testing::TestParamInfo<Outcome> &info) {
                             return std::string(info.param.pszName);
                         });

// A fault inside the library: the report, the line on stderr, code 9.
TEST(CliCrash, FaultInTheLibraryLeavesAReportAndExitsWith9)
{
    CSimSession sim("[driver]\nprogress_ms = 100\n[board 0]\ncrash = EraseFlash\n");
    vtltest::ChildOptions options = CliOptions();
    options.vars.push_back({"LOCALAPPDATA", sim.Dir().Path()});
    CChildProcess process;
    ASSERT_TRUE(process.Start(CliCommand("torvane-cli", L"erase"), options));
    const CliRun run = Finish(process);
    std::string strLine;
    EXPECT_TRUE(vtltest::HasCrashReport(sim, "torvane-cli", "EraseFlash", strLine));
    EXPECT_NE(std::string::npos, run.strErr.find(strLine + "\n")) << run.strErr;
    EXPECT_EQ(9, run.nExit);
}
