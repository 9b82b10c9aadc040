// StationRun.cpp - the scratch folder and the station's process for station_bench.
#include "StationRun.h"

#include "TestSupport.h"

#include <algorithm>
#include <cstdio>

namespace
{
std::string Narrow(const std::wstring &str)
{
    std::string strOut;
    for (wchar_t c : str)
        strOut += c < 0x80 ? static_cast<char>(c) : '?';
    return strOut;
}

std::wstring ExeDir()
{
    wchar_t sz[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    std::wstring str(sz);
    return str.substr(0, str.find_last_of(L"\\/") + 1);
}

bool WriteText(const std::wstring &strPath, const std::string &strText)
{
    const HANDLE h =
        CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dw = 0;
    const bool bOk =
        h != INVALID_HANDLE_VALUE &&
        WriteFile(h, strText.data(), static_cast<DWORD>(strText.size()), &dw, nullptr) &&
        dw == strText.size();
    return h != INVALID_HANDLE_VALUE && CloseHandle(h) && bOk;
}

} // namespace

std::wstring Wide(const std::string &str)
{
    return std::wstring(str.begin(), str.end());
}

std::string ReadText(const std::wstring &strPath)
{
    const HANDLE h = CreateFileW(strPath.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    std::string strText;
    if (h == INVALID_HANDLE_VALUE)
        return strText;
    char buf[65536];
    DWORD dw = 0;
    while (ReadFile(h, buf, sizeof(buf), &dw, nullptr) && dw > 0)
        strText.append(buf, dw);
    CloseHandle(h);
    return strText;
}

void CountRows(const std::wstring &strLog, int &nRows, int &nPass)
{
    const std::string strText = ReadText(strLog);
    nRows = -1, nPass = 0;
    for (size_t nAt = 0, nEnd; (nEnd = strText.find('\n', nAt)) != std::string::npos;
         nAt = nEnd + 1)
    {
        ++nRows;
        if (strText.substr(nAt, nEnd - nAt).find(",PASS,") != std::string::npos)
            ++nPass;
    }
    nRows = std::max(nRows, 0);
}

CScratch::CScratch()
{
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    m_strDir = std::wstring(szTemp) + L"vtl-station-bench-" +
               std::to_wstring(GetCurrentProcessId()) + L"\\";
    m_bMade = CreateDirectoryW(m_strDir.c_str(), nullptr) != FALSE;
}

CScratch::~CScratch()
{
    for (const std::wstring &strDir : m_dirs)
    {
        WIN32_FIND_DATAW data;
        const HANDLE hFind = FindFirstFileW((strDir + L"\\*.iic").c_str(), &data);
        for (BOOL b = hFind != INVALID_HANDLE_VALUE; b; b = FindNextFileW(hFind, &data))
            DeleteFileW((strDir + L"\\" + data.cFileName).c_str());
        if (hFind != INVALID_HANDLE_VALUE)
            FindClose(hFind);
        RemoveDirectoryW(strDir.c_str());
    }
    for (const std::wstring &strFile : m_files)
        DeleteFileW(strFile.c_str());
    if (m_bMade && !RemoveDirectoryW(m_strDir.c_str()))
        printf("station bench: left %s behind\n", Narrow(m_strDir).c_str());
}

std::wstring CScratch::File(const std::wstring &strName)
{
    m_files.push_back(m_strDir + strName);
    return m_files.back();
}

std::wstring CScratch::Folder(const std::wstring &strName)
{
    const std::wstring strDir = m_strDir + strName;
    if (CreateDirectoryW(strDir.c_str(), nullptr))
        m_dirs.push_back(strDir);
    return strDir;
}

bool CStationRun::Start(CScratch &scratch, const std::string &strName, const std::string &strConfig)
{
    const std::wstring strBin = ExeDir() + L"..\\bin\\";
    const std::wstring strConfigPath = scratch.File(Wide(strName) + L".ini");
    scratch.File(Wide(strName) + L".ini.plug"); // the simulator's plugged state
    m_strJournal = scratch.File(Wide(strName) + L".journal");
    m_strLog = scratch.File(Wide(strName) + L".csv");
    m_strOut = scratch.File(Wide(strName) + L".out");
    if (!WriteText(strConfigPath, strConfig))
        return false;
    SetEnvironmentVariableW(L"VTLSIM_CONFIG", strConfigPath.c_str());
    SetEnvironmentVariableW(L"VTLSIM_JOURNAL", m_strJournal.c_str());
    const std::wstring strCommand =
        L"\"" + strBin + L"vtl-station.exe\" --eeprom \"" + strBin +
        L"samples\\sample.iic\" --flash \"" + strBin +
        L"samples\\sample.bit\" --family spartan --version 1.0 --log \"" + m_strLog +
        L"\" --backup-dir \"" + scratch.Folder(Wide(strName) + L"-backups") + L"\"";
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    const HANDLE hOut = CreateFileW(m_strOut.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                    CREATE_ALWAYS, 0, nullptr);
    const HANDLE hIn = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                   OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hIn;
    si.hStdOutput = si.hStdError = hOut;
    std::wstring strLine = strCommand;
    // A console of its own without a window: Ctrl+C reaches it there.
    const bool bStarted = hOut != INVALID_HANDLE_VALUE && hIn != INVALID_HANDLE_VALUE &&
                          CreateProcessW(nullptr, &strLine[0], nullptr, nullptr, TRUE,
                                         CREATE_NO_WINDOW, nullptr, nullptr, &si, &m_pi);
    for (HANDLE h : {hOut, hIn})
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    return bStarted;
}

bool CStationRun::WaitForRows(int nRows, DWORD dwTimeoutMs, const std::function<void(int)> &onRow)
{
    const ULONGLONG nEnd = GetTickCount64() + dwTimeoutMs;
    int nSeen = -1;
    while (GetTickCount64() < nEnd)
    {
        int nNow = 0, nPass = 0;
        CountRows(m_strLog, nNow, nPass);
        if (nNow != nSeen)
            onRow(nSeen = nNow);
        if (nNow >= nRows)
            return true;
        if (WaitForSingleObject(m_pi.hProcess, 50) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

std::string CStationRun::End()
{
    if (!m_pi.hProcess)
        return "";
    std::string strHow = "already ended";
    if (WaitForSingleObject(m_pi.hProcess, 0) != WAIT_OBJECT_0)
    {
        // Ctrl+C means leaving this process's console for a moment, after which output to that
        // console is lost: with its output on a console it ends the station the hard way.
        DWORD dwMode = 0;
        const bool bOwnConsole = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &dwMode) != 0;
        strHow = bOwnConsole ? "TerminateProcess" : "Ctrl+C";
        if (bOwnConsole || !vtltest::SendCtrlC(m_pi.dwProcessId) ||
            WaitForSingleObject(m_pi.hProcess, 20000) != 0)
        {
            TerminateProcess(m_pi.hProcess, 1);
            WaitForSingleObject(m_pi.hProcess, 20000);
            if (!bOwnConsole)
                strHow = "TerminateProcess, Ctrl+C did not end it";
        }
    }
    DWORD dwCode = 0;
    GetExitCodeProcess(m_pi.hProcess, &dwCode);
    CloseHandle(m_pi.hProcess);
    CloseHandle(m_pi.hThread);
    m_pi = PROCESS_INFORMATION();
    return strHow + ", exit " + std::to_string(dwCode);
}

std::string CStationRun::Tail() const
{
    std::string strOut = ReadText(m_strOut);
    strOut = strOut.substr(strOut.size() > 400 ? strOut.size() - 400 : 0);
    std::replace(strOut.begin(), strOut.end(), '\r', ' ');
    std::replace(strOut.begin(), strOut.end(), '\n', '|');
    return strOut;
}