// GuardBench.cpp - what the guard adds to a call into the library, and what a caught throw costs
// in each of the simulator's throw styles.
#include <windows.h>

#include <cstdio>

#include "TestSupport.h"
#include "VtlDrvUsbImports.h"

namespace
{
double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

__attribute__((noinline)) int Trivial(int n)
{
    return n + 1;
}
int (*volatile g_pfn)(int) = Trivial;

void CallCost()
{
    const int kCalls = 20000000;
    for (int round = 0; round < 3; ++round)
    {
        int n = 0;
        double t0 = Now();
        for (int i = 0; i < kCalls; ++i)
            n = g_pfn(n);
        const double plain = (Now() - t0) * 1e9 / kCalls;
        t0 = Now();
        for (int i = 0; i < kCalls; ++i)
            n = VtlCall("Trivial", [&] { return g_pfn(n); });
        const double guarded = (Now() - t0) * 1e9 / kCalls;
        printf("call: plain %.2f ns, guarded %.2f ns, guard adds %.2f ns per call (n=%d)\n", plain,
               guarded, guarded - plain, n);
    }
}

void ThrowCost(const char *pszStyle)
{
    vtltest::CTempDir dir;
    vtltest::WriteFileText(dir.File("sim.ini"), std::string("[driver]\nthrow_style = ") + pszStyle +
                                                    "\n[board 0]\nthrow.GetEepromVersion = 5\n");
    SetEnvironmentVariableA("VTLSIM_CONFIG", dir.File("sim.ini").c_str());
    SetEnvironmentVariableA("VTLSIM_JOURNAL", NULL);
    VtlLibrary::Open(0);
    CVtlBoard board(VtlLibrary::OpenBoard(0));
    const int kThrows = 2000;
    int nCaught = 0, nMajor = 0, nMinor = 0;
    const double t0 = Now();
    for (int i = 0; i < kThrows; ++i)
    {
        try
        {
            board.GetEepromVersion(&nMajor, &nMinor);
        }
        catch (VTLExc &)
        {
            ++nCaught;
        }
    }
    const double us = (Now() - t0) * 1e6 / kThrows;
    VtlLibrary::Close();
    printf("throw %-6s: %d of %d caught as VTLExc, %.1f us per throw and catch\n", pszStyle,
           nCaught, kThrows, us);
}
} // namespace

int main()
{
    CallCost();
    for (const char *pszStyle : {"gcc", "class", "struct", "other"})
        ThrowCost(pszStyle);
    return 0;
}
