// ThrowLib.h - a small DLL that throws VTLExc across the module boundary.
#pragma once

#include "VtlDrvUsb.h"

#ifdef CONTRACT_THROWLIB_EXPORTS
#define THROWLIB_API extern "C" __declspec(dllexport)
#else
#define THROWLIB_API extern "C" __declspec(dllimport)
#endif

// Throws a VTLExc by value with this code, line 1234 and the given texts.
THROWLIB_API void ThrowLibRaise(int nCode, const char *pszFile, const char *pszMessage);

// A board whose ProgramEeprom throws VTLExc (code 27) and whose other operations return their slot.
THROWLIB_API UsbBoard *ThrowLibBoard();
