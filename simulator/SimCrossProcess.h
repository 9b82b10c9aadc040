// SimCrossProcess.h - what processes share: board locks, plugged boards, the watcher registry.
#pragma once

#include "SimConfig.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vtlsim
{

// Names kernel objects after the configuration so unrelated test runs never meet.
std::string ScopeOf(const std::string &configPath);

// Locks board section index for this process; nullptr when another process holds it.
HANDLE TryLockBoard(const std::string &scope, std::uint32_t index);
void UnlockBoard(const std::string &scope, HANDLE hLock);

// "<config>.plug", or %TEMP%\vtlsim-default.plug without configuration.
std::string StateFilePath(const std::string &configPath);

// Plugged flag per board section: the configuration's, overridden by the state file.
std::vector<bool> ReadPlugged(const DriverConfig &config);
// The same from the configured flags alone.
std::vector<bool> ReadPlugged(const std::string &configPath, std::vector<bool> plugged);
// Rewrites the state file with one board's new state.
bool WritePlugged(const DriverConfig &config, std::uint32_t index, bool bPlugged, std::string &err);

// Registry of processes whose watcher wants to hear about plug changes.
std::string PlugEventName(const std::string &scope, DWORD pid);
bool RegisterWatcher(const std::string &scope, DWORD pid);
void UnregisterWatcher(const std::string &scope, DWORD pid);
// Signals every registered process; returns how many were signalled.
int SignalWatchers(const std::string &scope);

} // namespace vtlsim
