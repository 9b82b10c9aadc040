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

} // namespace vtlsim
