// ProgressDisplay.cpp - the progress bar, percentage and elapsed time fed by the driver's reports.
#include "TorvaneDlg.h"

#include "ElapsedText.h"
#include "TaskbarButton.h"
#include "TorvaneText.h"

using namespace TorvaneText;

namespace
{
constexpr LONGLONG kTicksPerSecond = 10000000;
constexpr int kClockSetBack = -1; // last seconds after a negative elapsed time was shown
} // namespace

ULONGLONG CTorvaneDlg::GetCurrentTime64() const
{
    SYSTEMTIME st;
    GetSystemTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

void CTorvaneDlg::ResetProgress()
{
    m_progress.SetPos(0);
    m_edtPercent.SetWindowText("");
    m_nLastPercent = 0;
    m_nLastSeconds = 0;
    m_edtTime.SetWindowText("");
    m_ftStart = GetCurrentTime64();
}

int CTorvaneDlg::ProgressProc(std::uint32_t, int nPercent, std::uint32_t, void *pContext)
{
    static_cast<CTorvaneDlg *>(pContext)->OnProgress(nPercent);
    return 0;
}

// Runs on the worker: each report costs one window message, plus one per text that changes.
// The taskbar button lives on the worker too and takes the same value without a message.
int CTorvaneDlg::OnProgress(int nPercent)
{
    m_progress.SetPos(nPercent);
    if (m_pTaskbar != nullptr)
        m_pTaskbar->SetProgress(nPercent);
    if (nPercent != m_nLastPercent)
    {
        CString strText;
        strText.Format(kPercent, nPercent);
        m_edtPercent.SetWindowText(strText);
        m_nLastPercent = nPercent;
    }

    LONGLONG nElapsed = static_cast<LONGLONG>(GetCurrentTime64() - m_ftStart) / kTicksPerSecond;
    int nSeconds = static_cast<int>(static_cast<std::uint32_t>(nElapsed));
    // A clock set back shows "0 sec", not a wrapped count of minutes; the key differs from the
    // reset value 0 so that the text is written once.
    int nKey = nSeconds;
    if (nElapsed < 0 || nSeconds < 0)
    {
        nSeconds = 0;
        nKey = kClockSetBack;
    }
    if (nKey != m_nLastSeconds)
    {
        m_nLastSeconds = nKey;
        m_edtTime.SetWindowText(ElapsedText(static_cast<unsigned>(nSeconds)).c_str());
    }
    return 0;
}
