// SimPlugScript.cpp - the [plug] section: timed arrivals and removals, replayed for benches.
#include "SimConfig.h"

#include "SimStrings.h"

#include <algorithm>

namespace vtlsim
{

std::string PlugScriptKey(PlugScript &s, const std::string &key, const std::string &value,
                          int nLine)
{
    s.identity += key + "=" + value + "\n";
    std::uint32_t n = 0;
    if (key == "repeat" || key == "period")
    {
        const std::uint32_t nMax = key == "repeat" ? kMaxPlugRepeat : kMaxPlugTimeMs;
        if (!ParseUInt(value, n) || n < 1 || n > nMax)
            return "bad " + key + " \"" + value + "\" (1 to " + std::to_string(nMax) + ")";
        (key == "repeat" ? s.nRepeat : s.nPeriodMs) = n;
        s.nLine = nLine;
        return std::string();
    }
    PlugEvent e;
    e.nLine = nLine;
    if (!ParseUInt(key, e.nAtMs) || e.nAtMs > kMaxPlugTimeMs)
        return "bad time \"" + key + "\" in [plug] (0 to " + std::to_string(kMaxPlugTimeMs) +
               " ms, or repeat, period)";
    const std::size_t sp = value.find_first_of(" \t");
    const std::string verb = value.substr(0, sp);
    if (sp == std::string::npos || (verb != "plug" && verb != "unplug"))
        return "unknown plug event \"" + value + "\" (use plug <board> or unplug <board>)";
    const std::string board = Trim(value.substr(sp));
    if (!ParseUInt(board, e.nBoard))
        return "bad board number \"" + board + "\" in [plug]";
    e.bPlug = verb == "plug";
    s.events.push_back(e);
    return std::string();
}

std::string FinishPlugScript(PlugScript &s, std::uint32_t nBoards, int &nLine)
{
    for (const PlugEvent &e : s.events)
        if (e.nBoard >= nBoards)
        {
            nLine = e.nLine;
            return "no board " + std::to_string(e.nBoard) + " to " + (e.bPlug ? "plug" : "unplug") +
                   " (boards = " + std::to_string(nBoards) + ")";
        }
    std::stable_sort(s.events.begin(), s.events.end(),
                     [](const PlugEvent &a, const PlugEvent &b) { return a.nAtMs < b.nAtMs; });
    const std::uint32_t nLast = s.events.empty() ? 0 : s.events.back().nAtMs;
    if (s.nRepeat > 1 && s.nPeriodMs < nLast)
    {
        nLine = s.nLine;
        return "repeat needs a period of at least the last event's time (" + std::to_string(nLast) +
               " ms)";
    }
    return std::string();
}

} // namespace vtlsim
