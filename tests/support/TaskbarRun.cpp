// TaskbarRun.cpp - the stand-in taskbar list registered around one run of a built tool.
#include "TaskbarRun.h"

#include <gtest/gtest.h>

namespace vtltest
{
namespace
{
#define VTL_CLASS_KEY "Software\\Classes\\CLSID\\{56FDF344-FD6D-11d0-958A-006097C9A090}"
const char kServerKey[] = VTL_CLASS_KEY "\\InprocServer32";

bool SetServer(HKEY hRoot, const std::string &strPath, const std::string &strModel)
{
    return RegSetKeyValueA(hRoot, kServerKey, nullptr, REG_SZ, strPath.c_str(),
                           strPath.size() + 1) == ERROR_SUCCESS &&
           RegSetKeyValueA(hRoot, kServerKey, "ThreadingModel", REG_SZ, strModel.c_str(),
                           strModel.size() + 1) == ERROR_SUCCESS;
}

// Windows reads the per-user entry first. Wine's COM reads only the machine's, which is taken
// over as well and given back afterwards.
struct CRegistration
{
    CRegistration()
    {
        bHadMachine = RegReadString(HKEY_LOCAL_MACHINE, kServerKey, "", strOld) &&
                      RegReadString(HKEY_LOCAL_MACHINE, kServerKey, "ThreadingModel", strOldModel);
        const std::string strDll = ExeDir() + "taskbarstandin.dll";
        bOk = SetServer(HKEY_CURRENT_USER, strDll, "Apartment") &&
              SetServer(HKEY_LOCAL_MACHINE, strDll, "Apartment");
    }
    ~CRegistration()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kServerKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, VTL_CLASS_KEY);
        if (bHadMachine)
            SetServer(HKEY_LOCAL_MACHINE, strOld, strOldModel);
        else
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kServerKey);
    }
    std::string strOld, strOldModel;
    bool bHadMachine, bOk;
};
} // namespace

std::vector<std::string> RunWithTaskbar(const CSimSession &sim, const std::string &exe,
                                        const std::string &title, int nTextId,
                                        const std::string &text, int nButton,
                                        std::vector<std::string> *pAtBox)
{
    CRegistration registration;
    CProcessDriver p;
    EXPECT_TRUE(registration.bOk);
    if (!registration.bOk || !p.Start(exe, sim.Env()) || !p.WaitForMainWindow(20000, title) ||
        !WaitForCondition([&] { return p.IsEnabled(nButton); }, 10000))
        return {};
    PostMessageA(p.MainWindow(), RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
    if (nTextId != 0)
        p.SetText(nTextId, text);
    MsgBoxRecord box;
    HWND hBox = NULL;
    EXPECT_TRUE(p.Click(nButton));
    if (pAtBox != nullptr && p.WaitForMessageBox(box, 20000, &hBox))
    {
        *pAtBox = sim.Calls(p.Pid());
        p.AnswerMessageBox(hBox, IDOK);
    }
    EXPECT_TRUE(WaitForCondition(
        [&] {
            const std::vector<std::string> calls = TaskbarCalls(sim.Calls(p.Pid()));
            return !calls.empty() && calls.back() == "SetProgressState NOPROGRESS";
        },
        20000));
    DWORD dwExit = 1;
    EXPECT_TRUE(p.PostCommand(IDCANCEL) && p.WaitForExit(20000, &dwExit));
    return sim.Calls(p.Pid());
}

std::vector<std::string> TaskbarCalls(const std::vector<std::string> &calls, const char *pszAlso)
{
    std::vector<std::string> out;
    for (const std::string &call : calls)
    {
        if (pszAlso != nullptr && call.rfind(pszAlso, 0) == 0)
            out.push_back(call);
        if (call.rfind("Taskbar.", 0) != 0)
            continue;
        if (!out.empty() && out.back().rfind("SetProgressValue", 0) == 0 &&
            call.rfind("Taskbar.SetProgressValue", 0) == 0)
            out.pop_back();
        out.push_back(call.substr(8));
    }
    return out;
}
} // namespace vtltest
