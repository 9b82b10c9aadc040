// FileFilter.h - internal: the framework's "Name|pattern|...||" filter as file-type pairs.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace afx
{

// (display name, pattern) pairs in order, up to the first empty part (the closing "||"). A
// trailing name with no pattern is dropped.
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const char *pszFilter);

} // namespace afx
