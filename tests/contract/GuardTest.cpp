// GuardTest.cpp - the guard's reading of Microsoft C++ exceptions, and what it leaves alone.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "VtlGuard.h"

namespace
{
// A C++ exception as Microsoft's runtime raises it for x64: the description's offsets count
// from the start of m_image, which stands in for the throwing library's image base.
struct CFakeThrow
{
    CFakeThrow(const char *pszName, std::int32_t nSize = sizeof(VTLExc))
    {
        Put(0x100, ".?AVSomethingElse@@"); // first catchable type: not the one looked for
        Put(0x140, pszName);
        const std::int32_t types[2][7] = {{0, 0x100 - 16, 0, -1, 0, 8, 0},
                                          {0, 0x140 - 16, kOffset, -1, 0, nSize, 0}};
        std::memcpy(m_image + 0x200, types, sizeof types);
        const std::int32_t array[3] = {2, 0x200, 0x200 + 28};
        std::memcpy(m_image + 0x300, array, sizeof array);
        const std::int32_t info[4] = {0, 0, 0, 0x300};
        std::memcpy(m_image + 0x340, info, sizeof info);
        std::memset(&Record(), 0, sizeof(VTLExc));
        m_rec.ExceptionCode = 0xE06D7363;
        m_rec.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
        m_rec.NumberParameters = 4;
        const ULONG_PTR params[4] = {0x19930520, reinterpret_cast<ULONG_PTR>(m_object),
                                     reinterpret_cast<ULONG_PTR>(m_image + 0x340),
                                     reinterpret_cast<ULONG_PTR>(m_image)};
        std::memcpy(m_rec.ExceptionInformation, params, sizeof params);
    }
    void Put(int nAt, const char *pszName)
    {
        std::strcpy(reinterpret_cast<char *>(m_image) + nAt, pszName);
    }
    std::int32_t &At(int nAt) { return *reinterpret_cast<std::int32_t *>(m_image + nAt); }
    VTLExc &Record() { return *reinterpret_cast<VTLExc *>(m_object + kOffset); }
    VtlCaught Classify(VTLExc &out) const { return VtlGuardClassify(m_rec, out); }
    void Raise() const
    {
        RaiseException(m_rec.ExceptionCode, m_rec.ExceptionFlags, m_rec.NumberParameters,
                       m_rec.ExceptionInformation);
    }

    static constexpr std::int32_t kOffset = 16; // the record's place in the thrown object
    alignas(16) unsigned char m_image[0x400] = {};
    alignas(16) unsigned char m_object[kOffset + sizeof(VTLExc)] = {};
    EXCEPTION_RECORD m_rec{};
};

LONG WINAPI ResumeEverything(EXCEPTION_POINTERS *p)
{
    return p->ExceptionRecord->ExceptionCode == STATUS_ACCESS_VIOLATION
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

TEST(Guard, CopiesAVTLExcFoundAmongTheCatchableTypesWithItsTextsTerminated)
{
    for (const char *pszName : {".?AVVTLExc@@", ".?AUVTLExc@@"})
    {
        CFakeThrow t(pszName);
        t.Record().m_nCode = 77;
        t.Record().m_nLine = 12;
        std::memset(t.Record().m_szMessage, 'm', sizeof t.Record().m_szMessage);
        std::strcpy(t.Record().m_szFile, "drv.cpp");
        VTLExc out;
        ASSERT_EQ(t.Classify(out), VTL_CAUGHT_RECORD) << pszName;
        EXPECT_EQ(out.m_nCode, 77);
        EXPECT_EQ(out.m_nLine, 12);
        EXPECT_STREQ(out.m_szFile, "drv.cpp");
        EXPECT_EQ(std::string(out.m_szMessage), std::string(1023, 'm'));
    }
}

TEST(Guard, DamagedOrForeignDescriptionsAreAnotherTypeNeverAFault)
{
    const std::vector<std::function<void(CFakeThrow &)>> damages = {
        [](CFakeThrow &t) { t.Put(0x140, ".?AVVTLExcX@@"); },
        [](CFakeThrow &t) { t.Put(0x140, ".?AVVTLExc@"); },
        [](CFakeThrow &t) { t.At(0x200 + 28 + 20) = sizeof(VTLExc) - 1; },
        [](CFakeThrow &t) { t.At(0x300) = 0; },
        [](CFakeThrow &t) { t.At(0x300) = 100000; },
        [](CFakeThrow &t) { t.At(0x300 + 8) = 0x7ff00000; }, // beyond any mapping
        [](CFakeThrow &t) { t.At(0x340 + 12) = 0; },
        [](CFakeThrow &t) { t.m_rec.ExceptionInformation[2] = 0x10; },
        [](CFakeThrow &t) { t.m_rec.ExceptionInformation[1] = 0; },
        [](CFakeThrow &t) { t.m_rec.ExceptionInformation[0] = 0x12345678; },
        [](CFakeThrow &t) { t.m_rec.NumberParameters = 3; },
    };
    for (size_t i = 0; i < damages.size(); ++i)
    {
        CFakeThrow t(".?AVVTLExc@@");
        damages[i](t);
        VTLExc out;
        EXPECT_EQ(t.Classify(out), VTL_CAUGHT_OTHER) << "damage " << i;
    }
}

TEST(Guard, TurnsARaisedMicrosoftExceptionIntoVTLExcOnAnyThread)
{
    std::vector<std::thread> threads;
    std::vector<int> ok(4, 0);
    for (int n = 0; n < 4; ++n)
        threads.emplace_back([&, n] {
            CFakeThrow record(".?AUVTLExc@@"), other(".?AVbad_alloc@std@@");
            record.Record().m_nCode = n;
            for (int i = 0; i < 200; ++i)
            {
                const CFakeThrow &t = i % 2 ? other : record;
                try
                {
                    VtlCall("Fake", [&] { t.Raise(); });
                }
                catch (VTLExc &e)
                {
                    ok[n] += i % 2 ? e.m_nCode == kVtlUnexpectedExceptionCode &&
                                         std::string(e.m_szMessage) ==
                                             "The driver library failed in Fake (unexpected "
                                             "exception)."
                                   : e.m_nCode == n;
                }
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(ok, std::vector<int>(4, 200));
    EXPECT_EQ(VtlCall("Plain", [] { return 41; }) + 1, 42);
}

TEST(Guard, LeavesEveryOtherExceptionToTheHandlersAbove)
{
    VTLExc out;
    for (DWORD dwCode : {DWORD(0x20474343), DWORD(STATUS_ACCESS_VIOLATION)})
    {
        EXCEPTION_RECORD rec{};
        rec.ExceptionCode = dwCode;
        EXPECT_EQ(VtlGuardClassify(rec, out), VTL_CAUGHT_NONE) << std::hex << dwCode;
    }
    // A structured exception passes the guard frame to the process's last handler, which here
    // lets it go on instead of ending the program.
    LPTOP_LEVEL_EXCEPTION_FILTER pfnOld = SetUnhandledExceptionFilter(ResumeEverything);
    const int n =
        VtlCall("Raise", [] { return RaiseException(STATUS_ACCESS_VIOLATION, 0, 0, nullptr), 7; });
    SetUnhandledExceptionFilter(pfnOld);
    EXPECT_EQ(n, 7);
}
