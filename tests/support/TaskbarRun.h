// TaskbarRun.h - a built tool run against the stand-in taskbar list (taskbar/TaskbarStandIn.cpp).
#pragma once

#include "SimSession.h"

namespace vtltest
{
// Registers the stand-in for the shell's taskbar list, starts exe with sim's variables, posts the
// shell's button message to its window titled title, sets control nTextId (0: none) to text and
// presses nButton. A box that follows is answered with OK, once *pAtBox holds the program's
// journal lines of that moment. Then Cancel; the program's journal lines once it ended.
std::vector<std::string> RunWithTaskbar(const CSimSession &sim, const std::string &exe,
                                        const std::string &title, int nTextId,
                                        const std::string &text, int nButton,
                                        std::vector<std::string> *pAtBox);

// The stand-in's lines without "Taskbar.", each run of values cut to its last, and the lines that
// start with pszAlso in their places.
std::vector<std::string> TaskbarCalls(const std::vector<std::string> &calls,
                                      const char *pszAlso = nullptr);
} // namespace vtltest
