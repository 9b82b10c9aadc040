// TaskbarRun.cpp - the stand-in taskbar list registered around one run of a built tool.
#include "TaskbarRun.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vtltest
{
namespace
{
#define VTL_CLASS_KEY "Software\\Classes\\CLSID\\{56FDF344-FD6D-11d0-958A-006097C9A090}"
const char kServerKey[] = VTL_CLASS_KEY "\\InprocServer32";

// The per-user entry is the one Windows reads first; Wine's COM reads only the machine's, so that
// one is taken over too and given back afterwards.
class CRegistration
{
public:
    CRegistration()
    {
        m_bHadMachine = RegReadString(HKEY_LOCAL_MACHINE, kServerKey, "", m_strOld);
        RegReadString(HKEY_LOCAL_MACHINE, kServerKey, "ThreadingModel", m_strOldModel);
        const std::string strDll = ExeDir() + "taskbarstandin.dll";
        m_bOk = Set(HKEY_CURRENT_USER, strDll, "Apartment") &&
                Set(HKEY_LOCAL_MACHINE, strDll, "Apartment");
    }
    ~CRegistration()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kServerKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, VTL_CLASS_KEY);
        if (m_bHadMachine)
            Set(HKEY_LOCAL_MACHINE, m_strOld, m_strOldModel);
        else
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kServerKey);
    }
    bool m_bOk;

private:
    static bool Set(HKEY hRoot, const std::string &strServer, const std::string &strModel)
    {
        return RegSetKeyValueA(hRoot, kServerKey, nullptr, REG_SZ, strServer.c_str(),
                               strServer.size() + 1) == ERROR_SUCCESS &&
               RegSetKeyValueA(hRoot, kServerKey, "ThreadingModel", REG_SZ, strModel.c_str(),
                               strModel.size() + 1) == ERROR_SUCCESS;
    }
    bool m_bHadMachine;
    std::string m_strOld, m_strOldModel;
};

std::vector<std::string> Lines(const std::string &strPath)
{
    std::string strText;
    ReadFileText(strPath, strText);
    std::istringstream in(strText);
    std::vector<std::string> lines;
    for (std::string strLine; std::getline(in, strLine);)
        lines.push_back(strLine);
    return lines;
}
} // namespace

std::vector<std::string> RunWithTaskbar(const std::string &exe, const std::string &title,
                                        EnvVars env, int nTextId, const std::string &text,
                                        int nButton, std::vector<std::string> *pAtBox)
{
    CTempDir dir;
    CRegistration registration;
    env.emplace_back("VTL_TASKBAR_JOURNAL", dir.File("taskbar.txt"));
    CProcessDriver p;
    EXPECT_TRUE(registration.m_bOk);
    if (!registration.m_bOk || !p.Start(exe, env) || !p.WaitForMainWindow(20000, title) ||
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
        *pAtBox = Lines(dir.File("taskbar.txt"));
        p.AnswerMessageBox(hBox, IDOK);
    }
    EXPECT_TRUE(WaitForCondition(
        [&] {
            const std::vector<std::string> lines = Lines(dir.File("taskbar.txt"));
            return !lines.empty() && lines.back() == "SetProgressState NOPROGRESS";
        },
        20000));
    DWORD dwExit = 1;
    EXPECT_TRUE(p.PostCommand(IDCANCEL) && p.WaitForExit(20000, &dwExit));
    return Lines(dir.File("taskbar.txt"));
}
} // namespace vtltest
