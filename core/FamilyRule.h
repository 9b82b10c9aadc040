// FamilyRule.h - what Torvane's stored "Spartan" value means, for Torvane and torvane-cli.
#pragma once

#include <cstdint>

#include "VtlDrvUsb.h"

// 0 means Virtex and any other value Spartan.
inline FpgaFamily StoredFamily(std::uint32_t dwSpartan)
{
    return dwSpartan == 0 ? FAMILY_VIRTEX : FAMILY_SPARTAN;
}
