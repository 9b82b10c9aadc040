// TaskbarRun.h - a built tool run against the stand-in taskbar list (taskbar/TaskbarStandIn.cpp).
#pragma once

#include "TestSupport.h"

namespace vtltest
{
// Registers the stand-in for the shell's taskbar list, starts exe (BinDir) with env, waits for its
// window titled title, posts the shell's button message, sets control nTextId to text (0: none)
// and presses nButton. A box that follows is answered with OK once *pAtBox holds the journal
// seen while it was open. Then Cancel; the whole journal once the program ended, {} on a failure.
std::vector<std::string> RunWithTaskbar(const std::string &exe, const std::string &title,
                                        EnvVars env, int nTextId, const std::string &text,
                                        int nButton, std::vector<std::string> *pAtBox);
} // namespace vtltest
