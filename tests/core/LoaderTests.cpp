// LoaderTests.cpp - CVtlDrvUsbLoad against stub libraries loaded with the real LoadLibraryA.
#include "TestSupport.h"
#include "VtlDrvUsbLoad.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace vtltest;

namespace
{
std::string StubPath(const char *pszVariant)
{
    return ExeDir() + "loaderstubs\\" + pszVariant + "\\VtlDrvUsb.dll";
}

// Loads one stub by full path first, so the loader's bare-name LoadLibraryA gets
// that module; on destruction every reference left behind is dropped.
class CPreloadedStub
{
public:
    explicit CPreloadedStub(const char *pszVariant)
        : m_strPath(StubPath(pszVariant)), m_hModule(LoadLibraryA(m_strPath.c_str()))
    {
    }
    ~CPreloadedStub()
    {
        for (int i = 0; i < 16 && GetModuleHandleA(m_strPath.c_str()); ++i)
            FreeLibrary(GetModuleHandleA(m_strPath.c_str()));
    }
    HMODULE Module() const { return m_hModule; }
    const std::string &Path() const { return m_strPath; }

private:
    std::string m_strPath;
    HMODULE m_hModule;
};

struct Outcome
{
    bool bLoaded = false;
    bool bSeenAsVtlExcept = false;
    bool bSeenAsVtlExc = false;
    VTLExc rec{};
};

Outcome Construct()
{
    Outcome o;
    try
    {
        CVtlDrvUsbLoad loader;
        o.bLoaded = true;
    }
    catch (VtlExcept &)
    {
        o.bSeenAsVtlExcept = true;
    }
    catch (VTLExc &e)
    {
        o.bSeenAsVtlExc = true;
        o.rec = e;
    }
    return o;
}

bool EndsWith(const std::string &s, const std::string &tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void ExpectRecord(const Outcome &o, int nLine, const char *pszMessage)
{
    EXPECT_FALSE(o.bLoaded);
    EXPECT_FALSE(o.bSeenAsVtlExcept) << "the record must leave as a plain VTLExc";
    ASSERT_TRUE(o.bSeenAsVtlExc);
    EXPECT_EQ(o.rec.m_nCode, 0x80009);
    EXPECT_EQ(o.rec.m_nLine, nLine);
    EXPECT_STREQ(o.rec.m_szMessage, pszMessage);
    ASSERT_LT(strnlen(o.rec.m_szFile, sizeof(o.rec.m_szFile)), sizeof(o.rec.m_szFile));
    EXPECT_TRUE(EndsWith(o.rec.m_szFile, "VtlDrvUsbLoad.cpp")) << o.rec.m_szFile;
}

void ExpectOneBox(const CMsgBoxCatcher &boxes, const char *pszText)
{
    ASSERT_EQ(boxes.Count(), 1u);
    const MsgBoxRecord r = boxes.Record(0);
    EXPECT_EQ(r.text, pszText);
    EXPECT_EQ(r.owner, (HWND)NULL);
    EXPECT_EQ(r.icon, 0u);
    EXPECT_EQ(r.buttons, std::vector<int>{IDOK});
}
} // namespace

TEST(Loader, StubsAreBuilt)
{
    for (const char *v : {"full", "no_index", "no_index_count", "no_dllver", "no_open"})
        EXPECT_NE(GetFileAttributesA(StubPath(v).c_str()), INVALID_FILE_ATTRIBUTES) << v;
}

TEST(Loader, MissingFunctionsReportedInCheckOrder)
{
    struct Case
    {
        const char *pszVariant;
        int nLine;
        const char *pszMessage;
    } cases[] = {
        {"no_index", 61, "Could not locate VtlUsbGetBoardIndex() function."},
        // The count is checked before the index although it is declared after it.
        {"no_index_count", 60, "Could not locate VtlUsbGetBoardCount() function."},
        // Ostrel never calls it; refused all the same.
        {"no_dllver", 66, "Could not locate VtlUsbGetDLLVer() function."},
        {"no_open", 56, "Could not locate VtlUsbOpen() function."},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.pszVariant);
        CPreloadedStub stub(c.pszVariant);
        ASSERT_TRUE(stub.Module());
        CMsgBoxCatcher boxes;
        const Outcome o = Construct();
        ExpectRecord(o, c.nLine, c.pszMessage);
        ExpectOneBox(boxes, c.pszMessage);
    }
}

TEST(Loader, CompleteLibraryLoadsAndWrappersPassThrough)
{
    CPreloadedStub stub("full");
    ASSERT_TRUE(stub.Module());
    CMsgBoxCatcher boxes;
    {
        CVtlDrvUsbLoad loader;
        EXPECT_EQ(loader.GetModule(), stub.Module());

        // Loading again changes nothing.
        EXPECT_EQ(loader.Load(), 0);
        EXPECT_EQ(loader.GetModule(), stub.Module());

        EXPECT_EQ(loader.Open(0x00001234u), 0x5A5A1234u);
        EXPECT_EQ(loader.Close(), 77);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(loader.OpenBoard(7)), 0x10007u);
        EXPECT_EQ(loader.GetBoardCount(), 0xFFFFFFFEu);
        BoardInfo info{};
        EXPECT_EQ(loader.GetBoardInfo(2, &info), -3);
        EXPECT_EQ(info.dwUsable, 3u);
        EXPECT_STREQ(info.szBoardType, "stub 2");
        EXPECT_EQ(info.dwIoAddress, 0x302u);
        EXPECT_STREQ(loader.GetError(5), "stub error 5");
    }
    EXPECT_EQ(boxes.Count(), 0u);
    // The loader dropped its own reference: ours is the last one.
    ASSERT_TRUE(FreeLibrary(stub.Module()));
    EXPECT_EQ(GetModuleHandleA(stub.Path().c_str()), (HMODULE)NULL);
}

TEST(Loader, QuietLoadShowsNoBoxAndGivesTheLibraryBack)
{
    CPreloadedStub stub("no_index");
    ASSERT_TRUE(stub.Module());
    CMsgBoxCatcher boxes;
    DWORD dwLoadError = 0xDEADBEEF;
    int nLine = 0;
    try
    {
        CVtlDrvUsbLoad loader(VtlLoadQuietly(), &dwLoadError);
        ADD_FAILURE() << "a library without VtlUsbGetBoardIndex was taken";
    }
    catch (VtlExcept &e)
    {
        nLine = e.m_nLine;
    }
    EXPECT_EQ(nLine, 61);
    EXPECT_EQ(dwLoadError, 0xDEADBEEFu) << "the library itself was found";
    EXPECT_EQ(boxes.Count(), 0u);
    // The unfinished loader gave its reference back: ours is the last one.
    ASSERT_TRUE(FreeLibrary(stub.Module()));
    EXPECT_EQ(GetModuleHandleA(stub.Path().c_str()), (HMODULE)NULL);
}

TEST(Loader, UnloadClearsEverything)
{
    CPreloadedStub stub("full");
    CVtlDrvUsbLoad loader;
    loader.Unload();
    EXPECT_EQ(loader.GetModule(), (HMODULE)NULL);
    // A second Unload (the destructor's) must not free the library again.
    loader.Unload();
    EXPECT_EQ(GetModuleHandleA(stub.Path().c_str()), stub.Module());
}

// Runs in a child whose search path has no library; writes what it saw to a file.
TEST(LoaderChild, ReportIfAsked)
{
    const char *pszOut = getenv("VTL_LOADER_CHILD_OUT");
    if (!pszOut)
        GTEST_SKIP() << "runs only as the child of Loader.NoLibraryOnSearchPath";
    CMsgBoxCatcher boxes;
    const Outcome o = Construct();
    std::string text;
    for (const MsgBoxRecord &r : boxes.Records())
        text += "box|" + r.text + "|" + std::to_string(r.icon) + "|" +
                std::to_string(reinterpret_cast<std::uintptr_t>(r.owner)) + "\n";
    char szLine[3000];
    snprintf(szLine, sizeof(szLine), "rec|%d|%d|%d|%d|%s|%s\n", o.bLoaded, o.bSeenAsVtlExcept,
             static_cast<int>(o.rec.m_nCode), static_cast<int>(o.rec.m_nLine), o.rec.m_szMessage,
             o.rec.m_szFile);
    text += szLine;
    ASSERT_TRUE(WriteFileText(pszOut, text));
}

TEST(Loader, NoLibraryOnSearchPath)
{
    // First a library only in the working folder, which is not searched; then one beside the
    // program that imports from a library found nowhere.
    for (const bool bBeside : {false, true})
    {
        CTempDir dir;
        const std::string out = dir.File("child.txt");
        const std::string exe = dir.File("loader_tests.exe");
        CopyFileA((ExeDir() + "loader_tests.exe").c_str(), exe.c_str(), FALSE);
        CopyFileA(StubPath(bBeside ? "unloadable" : "no_open").c_str(),
                  dir.File("VtlDrvUsb.dll").c_str(), FALSE);
        ChildOptions options;
        options.strDir = dir.Path();
        options.vars = {{"VTL_LOADER_CHILD_OUT", out}};
        options.bCleanPath = true;
        CChildProcess child;
        ASSERT_TRUE(child.Start(Widen("\"" + (bBeside ? exe : ExeDir() + "loader_tests.exe") +
                                      "\" --gtest_filter=LoaderChild.ReportIfAsked"),
                                options));
        DWORD dwExit = 1;
        ASSERT_TRUE(child.Wait(60000, &dwExit));
        EXPECT_EQ(dwExit, 0u);
        std::string text;
        ASSERT_TRUE(ReadFileText(out, text));
        // Code 126 (ERROR_MOD_NOT_FOUND) first, then the message, both without owner or icon.
        const std::string message = bBeside ? "VtlDrvUsb.dll was found but could not be loaded."
                                            : "Could not find VtlDrvUsb.dll";
        const std::string expected =
            "box|7e|0|0\nbox|" + message + "|0|0\nrec|0|0|524297|42|" + message + "|";
        EXPECT_EQ(text.substr(0, expected.size()), expected) << text;
        EXPECT_NE(text.find("VtlDrvUsbLoad.cpp\n"), std::string::npos) << text;
    }
}
