// StartupBench.cpp - startup_bench <runs> [<bin folder> <label>]...: time from CreateProcess to
// the ready main dialog of the bare dialog, Torvane and Ostrel of each bin folder (default: the
// one beside this program), taken in turn so that a load on the machine hits all alike. Prints
// one line per program:
//   startup <name>[<label>] median <ms> p25 <ms> min <ms> max <ms> runs <n>
// A loaded machine only adds time, so the lower quartile shows the programs' own cost best.
// Ready: the main dialog is visible and, for the tools, it was filled from the simulated
// board by then: Torvane's information box holds the flash description, Ostrel
// lists a board.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"

using namespace vtltest;

namespace
{
struct Program
{
    std::string name;
    std::string exe;
    std::string args;
    const char *title;
    std::function<bool(CProcessDriver &)> filled;
    std::vector<double> ms;
};

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The visible main dialog of pid, NULL while there is none. One cheap look-up by class and
// title, so that polling takes little from the program being measured.
HWND VisibleDialog(DWORD pid, const char *title)
{
    for (HWND h = FindWindowExA(NULL, NULL, "#32770", title); h != NULL;
         h = FindWindowExA(NULL, h, "#32770", title))
    {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(h, &dwPid);
        if (dwPid == pid && IsWindowVisible(h))
            return h;
    }
    return NULL;
}

// One start in ms; negative when the program did not show a filled main dialog within 30 s.
double StartOnce(Program &p)
{
    CProcessDriver app;
    const double t0 = Now();
    if (!app.Start(p.exe, {{"VTLSIM_CONFIG", ""}, {"VTLSIM_JOURNAL", ""}}, p.args))
        return -1;
    double ms = -1;
    HWND h = NULL;
    while (h == NULL && Now() - t0 < 30000)
    {
        h = VisibleDialog(app.Pid(), p.title);
        if (h == NULL)
            Sleep(2); // the measurement's polling pace, not a synchronisation
    }
    if (h != NULL)
    {
        ms = Now() - t0;
        app.SetMainWindow(h);
        // The tools fill their dialogs in OnInitDialog, before it shows.
        if (!p.filled(app))
            ms = -1;
    }
    app.PostCommand(IDCANCEL);
    if (!app.WaitForExit(30000))
        app.Kill();
    return ms;
}
} // namespace

int main(int argc, char **argv)
{
    const int nRuns = argc > 1 ? atoi(argv[1]) : 15;
    std::vector<std::pair<std::string, std::string>> dirs; // folder, label
    for (int i = 2; i + 1 < argc; i += 2)
        dirs.push_back({argv[i], argv[i + 1]});
    if (dirs.empty())
        dirs.push_back({BinDir(), ""});
    auto torvaneFilled = [](CProcessDriver &a) { return !a.Text(1004).empty(); };
    auto ostrelFilled = [](CProcessDriver &a) { return a.ListCount(1003) > 0; };
    std::vector<Program> programs;
    for (const auto &d : dirs)
    {
        std::string dir = d.first;
        if (!dir.empty() && dir.back() != '\\')
            dir += '\\';
        auto shown = [](CProcessDriver &) { return true; };
        const std::string bare = dir + "bare_dialog.exe";
        programs.push_back({"bare" + d.second, bare, "", "Bare dialog", shown, {}});
        programs.push_back({"bare+splash" + d.second, bare, "splash", "Bare dialog", shown, {}});
        programs.push_back(
            {"Torvane" + d.second, dir + "Torvane.exe", "", "Torvane", torvaneFilled, {}});
        programs.push_back(
            {"Ostrel" + d.second, dir + "Ostrel.exe", "", "Ostrel", ostrelFilled, {}});
    }
    // One unmeasured round: the first start of each program fills the system's caches.
    for (Program &p : programs)
        StartOnce(p);
    for (int i = 0; i < nRuns; ++i)
        for (Program &p : programs)
        {
            const double ms = StartOnce(p);
            if (ms >= 0)
                p.ms.push_back(ms);
        }
    for (Program &p : programs)
    {
        if (p.ms.empty())
        {
            printf("startup %s failed\n", p.name.c_str());
            continue;
        }
        std::sort(p.ms.begin(), p.ms.end());
        printf("startup %s median %.1f p25 %.1f min %.1f max %.1f runs %zu\n", p.name.c_str(),
               p.ms[p.ms.size() / 2], p.ms[p.ms.size() / 4], p.ms.front(), p.ms.back(),
               p.ms.size());
        if (getenv("VTL_BENCH_SAMPLES"))
        {
            for (double ms : p.ms)
                printf(" %.0f", ms);
            printf("\n");
        }
    }
    return 0;
}
