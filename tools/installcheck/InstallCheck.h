// InstallCheck.h - what the parts of vtl_installcheck share.
#pragma once

#include <string>

namespace installcheck
{
extern const char kSettingsKey[];

// The simulator folder of the default install, where Torvane finds a board.
std::string SimulatorDir();
} // namespace installcheck
