// CliJson.h - JSON text for list --json.
#pragma once

#include <string>

// A JSON string literal, quotes included, for an ANSI text. The result is
// plain ASCII: everything else, and every control character, becomes a \u escape, so any byte a
// driver text may hold gives valid JSON in any code page.
std::string JsonString(const std::string &strAnsi);
