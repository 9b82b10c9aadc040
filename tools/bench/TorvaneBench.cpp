// TorvaneBench.cpp - messages per progress report, reports per second through the real dialog,
// and the GUI thread's answer time to another process while a command runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "FlashTestHelpers.h"
#include "ProgressCounter.h"

using namespace flashtest;

namespace
{
const int kReports = 100000;

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

void InProcess()
{
    CSimSession sim("[board 0]\n");
    SetEnvironmentVariableA("VTLSIM_JOURNAL", nullptr);
    vtltest::CMsgBoxCatcher boxes;
    CTestTorvaneDlg dlg;
    dlg.m_bFakeClock = true;
    dlg.SetClockSeconds(0);
    RunDialog(
        dlg,
        [&](HWND h) {
            dlg.ResetProgress();
            dlg.OnProgress(50);
            {
                CProgressCounter counter(h);
                for (int i = 0; i < kReports; ++i)
                    dlg.OnProgress(50);
                printf("unchanged texts: %d messages (%d bar, %d text) for %d reports = %.3f per "
                       "report\n",
                       counter.All(), counter.Bar(), counter.Texts(), kReports,
                       counter.All() / double(kReports));
                counter.Reset();
                for (int i = 0; i < kReports; ++i)
                {
                    dlg.SetClockSeconds(1.0 + i);
                    dlg.OnProgress(i % 2 == 0 ? 20 : 21);
                }
                printf("both texts change: %d messages (%d bar, %d text) for %d reports = %.3f per "
                       "report\n",
                       counter.All(), counter.Bar(), counter.Texts(), kReports,
                       counter.All() / double(kReports));
            }
            dlg.m_bFakeClock = false;
            dlg.ResetProgress();
            LARGE_INTEGER t0, t1;
            QueryPerformanceCounter(&t0);
            for (int i = 0; i < kReports; ++i)
                dlg.OnProgress(i * 100 / kReports);
            QueryPerformanceCounter(&t1);
            double s = Seconds(t0, t1);
            printf("throughput (percent rising 0..99, real clock): %d reports in %.3f s = %.0f "
                   "reports/s\n",
                   kReports, s, kReports / s);
            dlg.ResetProgress();
            QueryPerformanceCounter(&t0);
            for (int i = 0; i < kReports; ++i)
                dlg.OnProgress(37);
            QueryPerformanceCounter(&t1);
            s = Seconds(t0, t1);
            printf("throughput (unchanged texts): %d reports in %.3f s = %.0f reports/s\n",
                   kReports, s, kReports / s);
        },
        600000);
}

void Ping()
{
    CSimSession sim("[driver]\nprogress_ms = 6000\nprogress_step_ms = 1\n");
    vtltest::CProcessDriver torvane;
    if (!torvane.Start("Torvane.exe",
                       {{"VTLSIM_CONFIG", sim.ConfigPath()}, {"VTLSIM_JOURNAL", ""}}) ||
        torvane.WaitForMainWindow(15000, "Torvane") == NULL)
    {
        printf("ping: Torvane.exe did not start: %s\n", torvane.LastError().c_str());
        return;
    }
    HWND hMain = torvane.MainWindow();
    torvane.Click(IDC_ERASE);
    vtltest::WaitForCondition([&] { return !torvane.IsEnabled(IDC_ERASE); }, 5000);
    std::vector<double> ms;
    int nTimeouts = 0;
    while (!torvane.IsEnabled(IDC_ERASE) && ms.size() < 20000)
    {
        LARGE_INTEGER t0, t1;
        DWORD_PTR res = 0;
        QueryPerformanceCounter(&t0);
        if (!SendMessageTimeoutA(hMain, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &res))
            ++nTimeouts;
        QueryPerformanceCounter(&t1);
        ms.push_back(Seconds(t0, t1) * 1000.0);
        // Pace the pings like a user's input would come, not in a tight loop.
        MsgWaitForMultipleObjects(0, NULL, FALSE, 2, QS_ALLINPUT);
    }
    int nPos = torvane.ProgressPos(IDC_PROGRESS);
    torvane.PostCommand(IDCANCEL);
    torvane.WaitForExit(15000);
    if (ms.empty())
    {
        printf("ping: no samples\n");
        return;
    }
    std::sort(ms.begin(), ms.end());
    auto pct = [&](double p) { return ms[std::min(ms.size() - 1, size_t(p * ms.size()))]; };
    printf("ping during erase (%zu samples, %d timeouts, final bar %d): p50 %.2f ms, p99 %.2f ms, "
           "max %.2f ms\n",
           ms.size(), nTimeouts, nPos, pct(0.50), pct(0.99), ms.back());
}
} // namespace

int main()
{
    InProcess();
    Ping();
    return 0;
}
