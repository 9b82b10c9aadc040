// SimThrow.h - raises the simulator's records in the configured throw style.
#pragma once

#include "SimConfig.h"

#include <string>

namespace vtlsim
{

// The style of every later throw, raised through runtime's _CxxThrowException unless it is Gcc;
// VtlUsbOpen sets it from the configuration. False, with the style Gcc and the problem in error,
// when that runtime has no _CxxThrowException.
bool SetThrowStyle(ThrowStyle style, const std::string &runtime, std::string &error);

// Carries out a configured fault of the call: the delay, then the throw (journaled first, its
// record naming nLine of pszFile), then the failure. True when the call is to fail with
// f.nFailStatus.
bool ApplyFault(const Fault &f, const std::string &call, int nLine, const char *pszFile);

} // namespace vtlsim
