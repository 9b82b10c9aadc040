// SimPlugRun.h - the plug script's timeline in this process, run by the watcher thread.
#pragma once

#include "SimConfig.h"

#include <windows.h>

namespace vtlsim
{

// Called at each VtlUsbOpen with a window: the first with a script starts its clock; later ones
// continue the timeline, which starts over only when the configuration names another script.
void StartPlugScript(const DriverConfig &config);
// Milliseconds until config's next event is due (0 when overdue), INFINITE when none is left or
// a newer open runs another script.
DWORD PlugScriptWait(const DriverConfig &config);
// Carries out config's next event when it is due and hStop is not set, as `vtlsim plug|unplug`
// does; true when it did.
bool RunPlugScriptEvent(const DriverConfig &config, HANDLE hStop);

} // namespace vtlsim
