// CliProgress.h - the library's progress reports as "NN% completed" and the elapsed time.
#pragma once

#include <cstdint>
#include <mutex>

// Registered with the board as its progress callback for one flash operation. A line goes to
// stderr whenever the percentage or the elapsed whole seconds change.
class CCliProgress
{
public:
    CCliProgress();

    // Takes the start time; call right before the board operation.
    void Start();
    // Ends the display once the operation returned.
    void End();

    // The board's ProgressCallback; the context is the CCliProgress.
    static int Callback(std::uint32_t, int nPercent, std::uint32_t, void *pContext);

private:
    void Report(int nPercent);

    std::mutex m_mutex; // the library may report from a thread of its own
    unsigned long long m_nStartMs;
    bool m_bShown;
    int m_nLastPercent;
    unsigned long long m_nLastSeconds;
};
