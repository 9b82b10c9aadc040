// ReadmeTests.cpp - the README's scripted session, run as it stands with cmd.exe against two
// simulated boards, prints what the README shows.
#include "CliHarness.h"

#include <algorithm>
#include <sstream>

using namespace clitest;

namespace
{
// The body of the first fenced block after strHeading that opens with strFence.
std::string FencedBlock(const std::string &strText, const std::string &strHeading,
                        const std::string &strFence)
{
    const size_t nHeading = strText.find(strHeading);
    const size_t nOpen = strText.find("\n" + strFence + "\n", nHeading);
    if (nHeading == std::string::npos || nOpen == std::string::npos)
        return std::string();
    const size_t nBody = nOpen + strFence.size() + 2;
    const size_t nClose = strText.find("\n```\n", nBody - 1);
    return nClose == std::string::npos ? std::string() : strText.substr(nBody, nClose + 1 - nBody);
}
} // namespace

TEST(CliReadme, ScriptedSessionPrintsWhatTheReadmeShows)
{
    std::string strReadme;
    ASSERT_TRUE(vtltest::ReadFileText(vtltest::ExeDir() + "README.md", strReadme));
    strReadme.erase(std::remove(strReadme.begin(), strReadme.end(), '\r'), strReadme.end());
    const std::string strScript = FencedBlock(strReadme, "### A scripted session", "```bat");
    const std::string strShown = FencedBlock(strReadme, "### A scripted session", "```text");
    ASSERT_NE(std::string::npos, strScript.find("ostrel-cli update new.iic --all")) << strScript;
    ASSERT_FALSE(strShown.empty());

    CSimSession sim("[driver]\nboards = 2\nprogress_ms = 300\nprogress_step_ms = 30\n");
    CopyFileA(SamplePath("sample_c2.iic").c_str(), sim.File("new.iic").c_str(), FALSE);
    CopyFileA(SamplePath("sample.bit").c_str(), sim.File("design.bit").c_str(), FALSE);
    std::string strBatch;
    std::istringstream lines(strScript);
    for (std::string strLine; std::getline(lines, strLine);)
        strBatch += strLine + "\r\n";
    sim.Write("update.cmd", strBatch);

    CChildProcess process;
    ASSERT_TRUE(process.Start(L"cmd.exe /c update.cmd", CliOptions(sim.File(""))));
    const CliRun run = Finish(process);
    EXPECT_EQ(0, run.nExit) << run.strErr;
    EXPECT_EQ(strShown, run.strOut);

    // The session ran against the simulator: both boards were programmed, then the flash.
    std::string strJournal;
    vtltest::ReadFileText(sim.File("journal.txt"), strJournal);
    for (const char *pszCall :
         {"board0.ProgramEeprom(", "board1.ProgramEeprom(", "board0.ProgramFlash("})
        EXPECT_NE(std::string::npos, strJournal.find(pszCall)) << pszCall;
}
