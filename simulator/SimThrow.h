// SimThrow.h - raises the simulator's records in the configured throw style.
#pragma once

#include "SimConfig.h"

#include <string>

namespace vtlsim
{

// The style of every later throw; VtlUsbOpen sets it from the configuration.
void SetThrowStyle(ThrowStyle style);

// Carries out a configured fault of the call: the delay, then the throw (journaled first, its
// record naming nLine of pszFile), then the failure. True when the call is to fail with
// f.nFailStatus.
bool ApplyFault(const Fault &f, const std::string &call, int nLine, const char *pszFile);

} // namespace vtlsim
