// FileFilter.cpp - parsing the framework's file-dialog filter.
#include "FileFilter.h"

namespace afx
{

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const char *pszFilter)
{
    std::vector<std::string> parts;
    if (pszFilter != nullptr)
    {
        std::string cur;
        for (const char *p = pszFilter; *p; ++p)
        {
            if (*p == '|')
            {
                parts.push_back(cur);
                cur.clear();
            }
            else
                cur += *p;
        }
        if (!cur.empty())
            parts.push_back(cur);
    }
    std::vector<std::pair<std::string, std::string>> types;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
    {
        // As with the classic dialog, an empty part ("||") ends the list.
        if (parts[i].empty() || parts[i + 1].empty())
            break;
        types.emplace_back(parts[i], parts[i + 1]);
    }
    return types;
}

} // namespace afx
