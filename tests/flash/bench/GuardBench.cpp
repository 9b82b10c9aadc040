// GuardBench.cpp - what the guard adds to a call into the library, and what a caught throw costs
// in each of the simulator's throw styles.
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
} // namespace

int main()
{
    const int kCalls = 20000000, kThrows = 2000;
    for (int round = 0, n = 0; round < 3; ++round)
    {
        double t0 = Now();
        for (int i = 0; i < kCalls; ++i)
            n = g_pfn(n);
        const double plain = (Now() - t0) * 1e9 / kCalls;
        t0 = Now();
        for (int i = 0; i < kCalls; ++i)
            n = VtlCall("Trivial", [&] { return g_pfn(n); });
        const double guarded = (Now() - t0) * 1e9 / kCalls;
        printf("plain %.2f ns, guarded %.2f ns: the guard adds %.2f ns per call\n", plain, guarded,
               guarded - plain);
    }
    vtltest::CTempDir dir;
    SetEnvironmentVariableA("VTLSIM_CONFIG", dir.File("sim.ini").c_str());
    for (const char *pszStyle : {"gcc", "class", "struct", "other"})
    {
        vtltest::WriteFileText(dir.File("sim.ini"), std::string("[driver]\nthrow_style = ") +
                                                        pszStyle +
                                                        "\n[board 0]\nthrow.EraseEeprom = 5\n");
        VtlLibrary::Open(0);
        CVtlBoard board(VtlLibrary::OpenBoard(0));
        int nCaught = 0;
        const double t0 = Now();
        for (int i = 0; i < kThrows; ++i)
        {
            try
            {
                board.EraseEeprom();
            }
            catch (VTLExc &)
            {
                ++nCaught;
            }
        }
        printf("%-6s: %d of %d throws caught, %.1f us per throw and catch\n", pszStyle, nCaught,
               kThrows, (Now() - t0) * 1e6 / kThrows);
        VtlLibrary::Close();
    }
    return 0;
}
