// GuardBench.cpp - what the guard adds to a call into the library.
#include <cstdio>

#include "VtlGuard.h"

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
    const int kCalls = 20000000;
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
    return 0;
}
