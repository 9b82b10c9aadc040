// CliProgress.cpp - progress lines with Torvane's texts.
#include "CliProgress.h"

#include "CliOutput.h"
#include "ElapsedText.h"
#include "TorvaneText.h"

#include <windows.h>

#include <cstdio>

CCliProgress::CCliProgress() : m_nStartMs(0), m_bShown(false), m_nLastPercent(0), m_nLastSeconds(0)
{
}

void CCliProgress::Start()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A steady clock: setting the system time during a run does not disturb the count.
    m_nStartMs = GetTickCount64();
    m_bShown = false;
    m_nLastPercent = 0;
    m_nLastSeconds = 0;
}

void CCliProgress::End()
{
    CliOutput().EndProgress();
}

int CCliProgress::Callback(std::uint32_t, int nPercent, std::uint32_t, void *pContext)
{
    static_cast<CCliProgress *>(pContext)->Report(nPercent);
    return 0;
}

void CCliProgress::Report(int nPercent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const unsigned long long nSeconds = (GetTickCount64() - m_nStartMs) / 1000;
    if (m_bShown && nPercent == m_nLastPercent && nSeconds == m_nLastSeconds)
        return;
    m_bShown = true;
    m_nLastPercent = nPercent;
    m_nLastSeconds = nSeconds;

    char szPercent[64];
    snprintf(szPercent, sizeof(szPercent), TorvaneText::kPercent, nPercent);
    CliOutput().Progress(std::string(szPercent) + ", " +
                         ElapsedText(static_cast<unsigned>(nSeconds)));
}
