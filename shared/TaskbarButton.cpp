// TaskbarButton.cpp - the taskbar list behind CTaskbarButton.
#include "TaskbarButton.h"

namespace
{
constexpr ULONGLONG kFullScale = 100;
} // namespace

CTaskbarButton::~CTaskbarButton()
{
    Detach();
    if (m_bComEntered)
        CoUninitialize();
}

UINT CTaskbarButton::CreatedMessage()
{
    static const UINT s_nMessage = RegisterWindowMessageA("TaskbarButtonCreated");
    return s_nMessage;
}

bool CTaskbarButton::Attach(HWND hWnd)
{
    Detach();
    if (!m_bComEntered)
    {
        // A thread already in the multithreaded apartment still gets the list, through COM's
        // own apartment for it; that entry is not ours to leave.
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(hr) && hr != RPC_E_CHANGED_MODE)
            return false;
        m_bComEntered = SUCCEEDED(hr);
    }
    ITaskbarList3 *pList = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void **>(&pList))))
        return false;
    if (FAILED(pList->HrInit()))
    {
        pList->Release();
        return false;
    }
    m_pList = pList;
    m_hWnd = hWnd;
    m_nState = TBPF_NOPROGRESS;
    m_nPercent = 0;
    return true;
}

void CTaskbarButton::Detach()
{
    if (m_pList != nullptr)
        m_pList->Release();
    m_pList = nullptr;
}

void CTaskbarButton::SetIndeterminate()
{
    m_nPercent = 0;
    SetState(TBPF_INDETERMINATE);
}

void CTaskbarButton::SetProgress(int nPercent)
{
    if (m_pList == nullptr)
        return;
    if (m_nState != TBPF_NORMAL)
        SetState(TBPF_NORMAL);
    m_nPercent = nPercent;
    m_pList->SetProgressValue(m_hWnd, static_cast<ULONGLONG>(nPercent), kFullScale);
}

void CTaskbarButton::SetError()
{
    if (m_pList == nullptr)
        return;
    SetState(TBPF_ERROR);
    // An indeterminate button has no value of its own to turn red.
    m_pList->SetProgressValue(m_hWnd, static_cast<ULONGLONG>(m_nPercent), kFullScale);
}

void CTaskbarButton::Clear()
{
    SetState(TBPF_NOPROGRESS);
}

void CTaskbarButton::SetState(TBPFLAG nState)
{
    if (m_pList == nullptr)
        return;
    m_pList->SetProgressState(m_hWnd, nState);
    m_nState = nState;
}
