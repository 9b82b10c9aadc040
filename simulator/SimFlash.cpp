// SimFlash.cpp - bitstream header parsing and flash descriptions.
#include "SimFlash.h"

#include "SimFiles.h"

#include <cstdio>

namespace vtlsim
{

std::string DescribeFlash(const FlashFamily &f)
{
    if (!f.bHasBit && !f.bHasApp)
        return "Flash empty";
    char ver[48];
    std::string s;
    if (f.bHasBit)
    {
        std::snprintf(ver, sizeof ver, "%d.%d", f.nBitMajor, f.nBitMinor);
        s = "Bitstream: " + f.bit.design + "\r\nPart: " + f.bit.part + "\r\nDate: " + f.bit.date +
            " " + f.bit.time + "\r\nVersion: " + ver;
    }
    else
        s = "Bitstream: none";
    if (f.bHasApp)
    {
        std::snprintf(ver, sizeof ver, "%d.%d", f.nAppMajor, f.nAppMinor);
        s += "\r\nApplication: " + f.appName + " (" + std::to_string(f.appSize) +
             " bytes), version " + ver;
    }
    return s;
}

namespace
{

// Bounds-checked big-endian reader over the file head.
class Reader
{
public:
    Reader(const std::vector<std::uint8_t> &d) : m_d(d) {}
    bool U8(std::uint8_t &v)
    {
        if (m_pos + 1 > m_d.size())
            return false;
        v = m_d[m_pos++];
        return true;
    }
    bool U16(std::uint32_t &v)
    {
        if (m_pos + 2 > m_d.size())
            return false;
        v = (std::uint32_t(m_d[m_pos]) << 8) | m_d[m_pos + 1];
        m_pos += 2;
        return true;
    }
    bool U32(std::uint32_t &v)
    {
        std::uint32_t hi, lo;
        if (m_pos + 4 > m_d.size() || !U16(hi) || !U16(lo))
            return false;
        v = (hi << 16) | lo;
        return true;
    }
    bool Bytes(std::size_t n, std::string &s)
    {
        if (n > m_d.size() - m_pos)
            return false;
        s.assign(reinterpret_cast<const char *>(m_d.data()) + m_pos, n);
        m_pos += n;
        return true;
    }
    std::size_t Pos() const { return m_pos; }

private:
    const std::vector<std::uint8_t> &m_d;
    std::size_t m_pos = 0;
};

bool TextField(Reader &r, char key, std::string &value, std::string &problem)
{
    const std::string where = std::string(" (field '") + key + "')";
    std::uint8_t k;
    if (!r.U8(k))
    {
        problem = "truncated bitstream header" + where;
        return false;
    }
    if (k != static_cast<std::uint8_t>(key))
    {
        problem = "not a valid bitstream header: unexpected key where '" + std::string(1, key) +
                  "' was expected";
        return false;
    }
    std::uint32_t n;
    std::string raw;
    if (!r.U16(n) || !r.Bytes(n, raw))
    {
        problem = "truncated bitstream header" + where;
        return false;
    }
    if (n == 0 || raw.back() != '\0')
    {
        problem = "not a valid bitstream header: unterminated text" + where;
        return false;
    }
    value = raw.substr(0, raw.find('\0'));
    return true;
}

} // namespace

bool ParseBitHeader(const std::vector<std::uint8_t> &data, std::uint64_t fileSize, BitInfo &info,
                    std::string &problem)
{
    static const std::uint8_t kMagic[9] = {0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x00};
    Reader r(data);
    std::uint32_t n;
    std::string magic;
    if (!r.U16(n) || n != 9 || !r.Bytes(9, magic) ||
        magic != std::string(reinterpret_cast<const char *>(kMagic), 9))
    {
        problem = "not a bitstream file (bad header magic)";
        return false;
    }
    if (!r.U16(n))
    {
        problem = "truncated bitstream header";
        return false;
    }
    if (n != 1)
    {
        problem = "not a valid bitstream header";
        return false;
    }
    BitInfo out;
    if (!TextField(r, 'a', out.design, problem) || !TextField(r, 'b', out.part, problem) ||
        !TextField(r, 'c', out.date, problem) || !TextField(r, 'd', out.time, problem))
        return false;
    std::uint8_t k;
    std::uint32_t len;
    if (!r.U8(k))
    {
        problem = "truncated bitstream header (field 'e')";
        return false;
    }
    if (k != 'e')
    {
        problem = "not a valid bitstream header: unexpected key where 'e' was expected";
        return false;
    }
    if (!r.U32(len))
    {
        problem = "truncated bitstream header (field 'e')";
        return false;
    }
    if (r.Pos() + static_cast<std::uint64_t>(len) > fileSize)
    {
        problem = "truncated bitstream data";
        return false;
    }
    info = out;
    return true;
}

bool LoadFlashFile(const std::string &path, int nMajor, int nMinor, FlashFamily &f,
                   std::string &err)
{
    const std::string ext = ExtensionOf(path);
    if (ext != ".bit" && ext != ".app")
    {
        err = path + ": unsupported file type (expected .bit or .app)";
        return false;
    }
    std::vector<std::uint8_t> head;
    std::uint64_t size = 0;
    if (!ReadFileHead(path, 65536, head, size, err))
        return false;
    if (ext == ".app")
    {
        if (size == 0)
        {
            err = path + ": application file is empty";
            return false;
        }
        f.bHasApp = true;
        f.appName = FileNameOf(path);
        f.appSize = size;
        f.nAppMajor = nMajor;
        f.nAppMinor = nMinor;
        return true;
    }
    BitInfo info;
    std::string problem;
    if (!ParseBitHeader(head, size, info, problem))
    {
        err = path + ": " + problem;
        return false;
    }
    f.bHasBit = true;
    f.bit = info;
    f.nBitMajor = nMajor;
    f.nBitMinor = nMinor;
    return true;
}

FlashFamily DefaultFlash(int family)
{
    FlashFamily f;
    f.bHasBit = true;
    f.bit.design = "vtl4410_demo.ncd";
    f.bit.part = family == 0 ? "3s1500fg456" : "2vp30ff896";
    f.bit.date = "2026/11/30";
    f.bit.time = "09:15:00";
    f.nBitMajor = 1;
    f.nBitMinor = 0;
    return f;
}

} // namespace vtlsim
