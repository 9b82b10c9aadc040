// SimWatcher.h - the thread that turns plug changes into WM_DEVICECHANGE for the caller's window.
#pragma once

#include "SimConfig.h"

#include <windows.h>

#include <vector>

namespace vtlsim
{

// Starts watching for plug changes on behalf of hwnd; false when it could not.
bool StartWatcher(HWND hwnd, const DriverConfig &config, const std::vector<bool> &plugged);
// Asks the watcher to end; never waits for it (it may be sending to a busy window).
void StopWatcher();

// The two notifications of one board's arrival or removal, sent in order.
void SendPlugNotifications(HWND hwnd, std::uint32_t nSection, bool bArrival);

} // namespace vtlsim
