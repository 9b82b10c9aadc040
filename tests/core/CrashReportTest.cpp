// CrashReportTest.cpp - which old crash reports go, and the running call the report names.
#include "VtlCrashReport.h"
#include "VtlGuard.h"

#include <gtest/gtest.h>

namespace
{
struct PruneCase
{
    const char *pszName;
    const wchar_t *pszProgram;
    size_t nKeep;
    std::vector<std::wstring> names;
    std::vector<std::wstring> doomed;
};

const PruneCase kPruneCases[] = {
    {"FewerThanKept",
     L"Torvane",
     10,
     {L"Torvane-20261208T205622Z-12.dmp", L"Torvane-20261208T205622Z-12.txt"},
     {}},
    {"OldestPairGoes",
     L"Torvane",
     2,
     {L"Torvane-20261208T205622Z-12.dmp", L"Torvane-20251208T205622Z-40.txt",
      L"Torvane-20261209T000000Z-3.txt", L"Torvane-20251208T205622Z-40.dmp",
      L"Torvane-20261208T205622Z-12.txt"},
     {L"Torvane-20251208T205622Z-40.txt", L"Torvane-20251208T205622Z-40.dmp"}},
    {"OtherProgramsStay",
     L"Torvane",
     1,
     {L"torvane-cli-20200101T000000Z-1.dmp", L"Torvane-20200101T000000Z-1.dmp",
      L"Torvane-20210101T000000Z-1.dmp", L"Ostrel-20200101T000000Z-1.dmp"},
     {L"Torvane-20200101T000000Z-1.dmp"}},
    {"ProgramWithHyphen",
     L"torvane-cli",
     1,
     {L"torvane-cli-20200101T000000Z-1.txt", L"torvane-cli-20210101T000000Z-1.txt",
      L"Torvane-20190101T000000Z-1.txt"},
     {L"torvane-cli-20200101T000000Z-1.txt"}},
    {"ForeignFilesStay",
     L"Ostrel",
     0,
     {L"Ostrel-notes.txt", L"Ostrel-20261208T205622Z-12.log", L"Ostrel-20261208X205622Z-12.dmp",
      L"Ostrel-20261208T205622Z-.dmp", L"Ostrel-20261208T205622Z-1x.dmp",
      L"Ostrel-20261208T205622Z-12.dmp"},
     {L"Ostrel-20261208T205622Z-12.dmp"}},
    {"PidBreaksATieAsANumber",
     L"Ostrel",
     1,
     {L"Ostrel-20261208T205622Z-9.dmp", L"Ostrel-20261208T205622Z-10.dmp"},
     {L"Ostrel-20261208T205622Z-9.dmp"}},
};
} // namespace

TEST(CrashReport, PruningDeletesOnlyTheOlderReportsOfTheProgram)
{
    for (const PruneCase &c : kPruneCases)
        EXPECT_EQ(VtlCrashReportsToDelete(c.names, c.pszProgram, c.nKeep), c.doomed) << c.pszName;
}

TEST(CrashReport, KnowsTheRunningCallUntilItEnds)
{
    EXPECT_EQ(VtlGuardCurrentCall(), nullptr);
    VtlCall("EraseFlash", [&] {
        EXPECT_STREQ(VtlGuardCurrentCall(), "EraseFlash");
        VtlCall("GetErrorText", [&] { EXPECT_STREQ(VtlGuardCurrentCall(), "GetErrorText"); });
        EXPECT_STREQ(VtlGuardCurrentCall(), "EraseFlash");
    });
    EXPECT_THROW(VtlCall("Raise", [] { throw VTLExc(); }), VTLExc);
    EXPECT_EQ(VtlGuardCurrentCall(), nullptr);
}
