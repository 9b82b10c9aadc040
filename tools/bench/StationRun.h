// StationRun.h - a scratch folder and one vtl-station run in it against a simulator
// configuration, for station_bench.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

std::wstring Wide(const std::string &str);
std::string ReadText(const std::wstring &strPath);
// The log's rows so far (lines after the header) and how many passed.
void CountRows(const std::wstring &strLog, int &nRows, int &nPass);

// A folder of this run's own. Only what it made, or told a station to make, is deleted, file by
// file; a folder with anything else left in it stays.
class CScratch
{
public:
    CScratch();
    ~CScratch();
    bool Made() const { return m_bMade; }
    std::wstring File(const std::wstring &strName);
    // A backup folder: the station's backups in it go with it.
    std::wstring Folder(const std::wstring &strName);

private:
    std::wstring m_strDir;
    bool m_bMade;
    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_dirs;
};

// vtl-station with the sample recipe, its log and backups in the scratch folder, its output in
// a file there.
class CStationRun
{
public:
    CStationRun() : m_pi() {}
    ~CStationRun() { End(); }
    CStationRun(const CStationRun &) = delete;
    CStationRun &operator=(const CStationRun &) = delete;

    bool Start(CScratch &scratch, const std::string &strName, const std::string &strConfig);
    // Polls the log every 50 ms until it holds nRows rows (false when the station ended or the
    // time ran out); onRow sees each new count.
    bool WaitForRows(int nRows, DWORD dwTimeoutMs, const std::function<void(int)> &onRow);
    // Ctrl+C, then TerminateProcess after 20 s (at once when this process writes to a console):
    // how it ended.
    std::string End();
    // The station's last words on one line, for a run that went wrong.
    std::string Tail() const;

    HANDLE Process() const { return m_pi.hProcess; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    const std::wstring &Journal() const { return m_strJournal; }
    const std::wstring &Log() const { return m_strLog; }

private:
    PROCESS_INFORMATION m_pi;
    std::wstring m_strJournal, m_strLog, m_strOut;
};
