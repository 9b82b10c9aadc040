// StationWatch.cpp - the device-notice window and its thread.
#include "StationWatch.h"

#include <dbt.h>

namespace
{
const wchar_t kClassName[] = L"VtlStationWatch";
}

CStationWatch::CStationWatch()
    : m_hChange(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_hReady(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_hThread(nullptr), m_hWnd(nullptr),
      m_nRemovals(0)
{
    if (!m_hChange || !m_hReady)
        return;
    m_hThread = CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr);
    if (m_hThread)
        WaitForSingleObject(m_hReady, INFINITE); // the thread sets it on every way out
}

CStationWatch::~CStationWatch()
{
    if (m_hThread)
    {
        if (m_hWnd)
            PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    if (m_hReady)
        CloseHandle(m_hReady);
    if (m_hChange)
        CloseHandle(m_hChange);
}

DWORD WINAPI CStationWatch::ThreadMain(LPVOID pParam)
{
    CStationWatch *pThis = static_cast<CStationWatch *>(pParam);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    // Top-level, never shown: a window only for messages would not be sent device notices.
    HWND hWnd = CreateWindowExW(0, kClassName, L"vtl-station", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                nullptr, wc.hInstance, pThis);
    pThis->m_hWnd = hWnd;
    SetEvent(pThis->m_hReady);
    if (!hWnd)
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

LRESULT CALLBACK CStationWatch::WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_NCCREATE)
    {
        const CREATESTRUCTW *pCreate = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    CStationWatch *pThis =
        reinterpret_cast<CStationWatch *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    switch (nMsg)
    {
    case WM_DEVICECHANGE:
        if (pThis && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE ||
                      wParam == DBT_DEVNODES_CHANGED))
        {
            // Counted before the event is set, so that a listing woken by it sees the removal.
            if (wParam == DBT_DEVICEREMOVECOMPLETE)
                ++pThis->m_nRemovals;
            SetEvent(pThis->m_hChange);
        }
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}
