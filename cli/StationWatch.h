// StationWatch.h - the hidden window the station hands to the library, which sends it the device
// notices. It runs on a thread of its own, so that a notice sent while the main thread is inside
// a long board operation is taken at once and never holds the sender up.
#pragma once

#include <windows.h>

#include <atomic>

class CStationWatch
{
public:
    CStationWatch(); // the window exists once this returns (Window() is null if it could not)
    ~CStationWatch();
    CStationWatch(const CStationWatch &) = delete;
    CStationWatch &operator=(const CStationWatch &) = delete;

    HWND Window() const { return m_hWnd; }
    // Auto-reset; set on every arrival, removal and change of the device nodes.
    HANDLE ChangeEvent() const { return m_hChange; }
    // Removals seen since the start; a board's run compares it before and after.
    unsigned Removals() const { return m_nRemovals.load(); }

private:
    static DWORD WINAPI ThreadMain(LPVOID pParam);
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    HANDLE m_hChange;
    HANDLE m_hReady;
    HANDLE m_hThread;
    HWND m_hWnd;
    std::atomic<unsigned> m_nRemovals;
};
