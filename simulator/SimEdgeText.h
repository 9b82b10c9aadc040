// SimEdgeText.h - returned texts stretched on request and laid against unreadable memory.
#pragma once

#include <cstdint>
#include <string>

namespace vtlsim
{

// The text repeated (or cut) to exactly nLength characters; 0 or an empty text leaves it as it is.
std::string StretchText(const std::string &text, std::uint32_t nLength);

// One returned text whose last byte is followed by a page that cannot be read, so a caller
// that reads past the end faults at once instead of reading stray bytes.
class CEdgeText
{
public:
    CEdgeText() = default;
    ~CEdgeText();
    CEdgeText(const CEdgeText &) = delete;
    CEdgeText &operator=(const CEdgeText &) = delete;

    // Places a copy of text, with or without its NUL (an empty text always keeps it),
    // and frees the previous copy. Never null.
    const char *Set(const std::string &text, bool bTerminated);

private:
    void Free();

    void *m_pBase = nullptr;
};

} // namespace vtlsim
