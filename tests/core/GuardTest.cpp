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
// from the start of m_image, which stands in for the throwing library's image base. The second
// catchable type is the one named; the record sits kOffset bytes into the thrown object.
struct CFakeThrow
{
    CFakeThrow(const char *pszName, ULONG_PTR nMagic = 0x19930520, bool bVirtualBase = false)
    {
        Put(0x140, pszName);
        const std::int32_t description[] = {0, 0x100, 0,       -1, 0, 8,
                                            0, // 0x200: another type
                                            0, 0x130, kOffset, -1, 0, sizeof(VTLExc),
                                            0};
        std::memcpy(m_image + 0x200, description, sizeof description);
        if (bVirtualBase) // the vbtable pointer at pdisp 8, the record's offset at its vdisp 4
        {
            const std::int32_t pmd[] = {0, 8, 4}, vbtable[] = {-8, kOffset - 8};
            std::memcpy(m_image + 0x224, pmd, sizeof pmd);
            std::memcpy(m_image + 0x380, vbtable, sizeof vbtable);
            *reinterpret_cast<unsigned char **>(m_object + 8) = m_image + 0x380;
        }
        const std::int32_t arrayAndInfo[] = {2, 0x200, 0x21C, 0, 0, 0, 0, 0x300}; // 0x300, 0x310
        std::memcpy(m_image + 0x300, arrayAndInfo, sizeof arrayAndInfo);
        const ULONG_PTR params[4] = {nMagic, reinterpret_cast<ULONG_PTR>(m_object),
                                     reinterpret_cast<ULONG_PTR>(m_image + 0x310),
                                     reinterpret_cast<ULONG_PTR>(m_image)};
        m_rec = EXCEPTION_RECORD{0xE06D7363, EXCEPTION_NONCONTINUABLE, nullptr, nullptr, 4, {}};
        std::memcpy(m_rec.ExceptionInformation, params, sizeof params);
    }
    void Put(int nAt, const char *psz)
    {
        std::strcpy(reinterpret_cast<char *>(m_image + nAt), psz);
    }
    std::int32_t &At(int nAt) { return *reinterpret_cast<std::int32_t *>(m_image + nAt); }
    VTLExc &Record() { return *reinterpret_cast<VTLExc *>(m_object + kOffset); }
    void Raise() const { RaiseException(m_rec.ExceptionCode, 1, 4, m_rec.ExceptionInformation); }

    static constexpr std::int32_t kOffset = 16;
    alignas(16) unsigned char m_image[0x400] = {};
    alignas(16) unsigned char m_object[kOffset + sizeof(VTLExc)] = {};
    EXCEPTION_RECORD m_rec{};
};

LONG WINAPI ResumeAccessViolation(EXCEPTION_POINTERS *p)
{
    return p->ExceptionRecord->ExceptionCode == STATUS_ACCESS_VIOLATION
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

TEST(Guard, CopiesAVTLExcFoundAmongTheCatchableTypesWithItsTextsTerminated)
{
    for (int i = 0; i < 4; ++i) // both names, the three magics, then a virtual base
    {
        CFakeThrow t(i % 2 ? ".?AUVTLExc@@" : ".?AVVTLExc@@", 0x19930520 + i % 3, i == 3);
        t.Record().m_nCode = 77;
        t.Record().m_nLine = 12;
        std::strcpy(t.Record().m_szFile, "drv.cpp");
        std::memset(t.Record().m_szMessage, 'm', sizeof t.Record().m_szMessage);
        VTLExc out;
        ASSERT_EQ(VtlGuardClassify(t.m_rec, out), VTL_CAUGHT_RECORD) << i;
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
        [](CFakeThrow &t) { t.At(0x21C + 20) = sizeof(VTLExc) - 1; },
        [](CFakeThrow &t) { t.At(0x300) = 0; },
        [](CFakeThrow &t) { t.At(0x300) = 100000; },
        [](CFakeThrow &t) { t.At(0x308) = 0x7ff00000; },
        [](CFakeThrow &t) { t.At(0x31C) = 0; },
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
        EXPECT_EQ(VtlGuardClassify(t.m_rec, out), VTL_CAUGHT_OTHER) << "damage " << i;
    }
}

TEST(Guard, TurnsARaisedMicrosoftExceptionIntoVTLExcOnAnyThread)
{
    // Each thread alternates both kinds, so every one of its iterations is counted.
    const std::string other = "The driver library failed in Fake (unexpected exception).";
    std::vector<int> ok(4, 0);
    std::vector<std::thread> threads;
    for (int n = 0; n < 4; ++n)
        threads.emplace_back([&, n] {
            CFakeThrow record(".?AUVTLExc@@"), foreign(".?AVbad_alloc@std@@");
            for (int i = 0; i < 100; ++i)
            {
                const bool bRecord = i % 2 == 0;
                record.Record().m_nCode = n * 1000 + i;
                try
                {
                    VtlCall("Fake", [&] { (bRecord ? record : foreign).Raise(); });
                }
                catch (VTLExc &e)
                {
                    ok[n] += bRecord ? e.m_nCode == n * 1000 + i && e.m_szMessage[0] == '\0'
                                     : e.m_nCode == kVtlUnexpectedExceptionCode &&
                                           e.m_szMessage == other;
                }
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(ok, std::vector<int>(4, 100));
    EXPECT_EQ(VtlCall("Plain", [] { return 41; }), 41);
}

TEST(Guard, LeavesEveryOtherExceptionToTheHandlersAbove)
{
    VTLExc out;
    for (DWORD dwCode : {DWORD(0x20474343), DWORD(STATUS_ACCESS_VIOLATION)})
    {
        EXCEPTION_RECORD rec{dwCode, 0, nullptr, nullptr, 0, {}};
        EXPECT_EQ(VtlGuardClassify(rec, out), VTL_CAUGHT_NONE) << std::hex << dwCode;
    }
    // The exception passes the guard frame to the process's last handler, which here lets the
    // raise return instead of ending the program.
    LPTOP_LEVEL_EXCEPTION_FILTER pfnOld = SetUnhandledExceptionFilter(ResumeAccessViolation);
    const int n =
        VtlCall("Raise", [] { return RaiseException(STATUS_ACCESS_VIOLATION, 0, 0, nullptr), 7; });
    SetUnhandledExceptionFilter(pfnOld);
    EXPECT_EQ(n, 7);
}
