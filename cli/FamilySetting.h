// FamilySetting.h - the FPGA family Torvane stored, read without ever writing.
#pragma once

#include "VtlDrvUsb.h"

// Torvane's "Spartan" value: 0 means Virtex and any other value Spartan; a missing key or
// value, or one of another type or size, means Spartan, as Torvane starts. The key is opened
// for reading only, so it is never created.
FpgaFamily ReadStoredFamily(bool &bStored);
