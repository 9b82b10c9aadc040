// SimThrow.h - raises the simulator's records in the configured throw style.
#pragma once

#include "SimConfig.h"

#include "VtlDrvUsb.h"

#include <string>

namespace vtlsim
{

// The style of every later throw; VtlUsbOpen sets it from the configuration.
void SetThrowStyle(ThrowStyle style);

// A record with the fault's code and text, naming this source line and file.
VTLExc MakeRecord(const Fault &f, int nLine, const char *pszFile);

// Throws e by value, as GCC or as Microsoft's runtime throws it (SetThrowStyle).
[[noreturn]] void ThrowRecord(const VTLExc &e);

// Carries out a configured fault of the call: the delay, then the throw (journaled first, its
// record naming nLine of pszFile), then the failure. True when the call is to fail with
// f.nFailStatus.
bool ApplyFault(const Fault &f, const std::string &call, int nLine, const char *pszFile);

} // namespace vtlsim
