// ElapsedText.h - the elapsed time of a flash command as Torvane and torvane-cli show it.
#pragma once

#include <cstdio>
#include <string>

#include "TorvaneText.h"

// Seconds alone under a minute, then minutes and seconds.
inline std::string ElapsedText(unsigned nSeconds)
{
    char sz[64];
    const unsigned nMinutes = nSeconds / 60;
    const unsigned nRest = nSeconds % 60;
    if (nMinutes == 0)
        snprintf(sz, sizeof(sz), TorvaneText::kSeconds, static_cast<int>(nRest));
    else
        snprintf(sz, sizeof(sz), TorvaneText::kMinutesSeconds, static_cast<int>(nMinutes),
                 static_cast<int>(nRest));
    return sz;
}
