// SimTestUtil.cpp - data for the simulator tests.
#include "SimTestUtil.h"

#include <windows.h>

#include <fstream>

namespace simtest
{

std::vector<std::uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f),
                                     std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> MakeC2Image(int nMajor, int nMinor, std::size_t n)
{
    // Vendor 0x5654, product 0x4410, device (the version) major.minor, configuration 0.
    std::vector<std::uint8_t> v = {0xC2,
                                   0x54,
                                   0x56,
                                   0x10,
                                   0x44,
                                   static_cast<std::uint8_t>(nMinor),
                                   static_cast<std::uint8_t>(nMajor),
                                   0x00};
    v.push_back(static_cast<std::uint8_t>(n >> 8));
    v.push_back(static_cast<std::uint8_t>(n & 0xFF));
    v.push_back(0x00);
    v.push_back(0x00);
    for (std::size_t i = 0; i < n; ++i)
        v.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    v.insert(v.end(), {0x80, 0x01, 0xE6, 0x00, 0x00});
    return v;
}

std::vector<std::uint8_t> MakeBit(const std::string &design, const std::string &part,
                                  const std::string &date, const std::string &time,
                                  std::uint32_t dataLen)
{
    std::vector<std::uint8_t> v = {0x00, 0x09, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F,
                                   0xF0, 0x0F, 0xF0, 0x00, 0x00, 0x01};
    auto field = [&v](char key, const std::string &s) {
        v.push_back(static_cast<std::uint8_t>(key));
        const std::size_t n = s.size() + 1;
        v.push_back(static_cast<std::uint8_t>(n >> 8));
        v.push_back(static_cast<std::uint8_t>(n & 0xFF));
        v.insert(v.end(), s.begin(), s.end());
        v.push_back(0);
    };
    field('a', design);
    field('b', part);
    field('c', date);
    field('d', time);
    v.push_back('e');
    for (int sh = 24; sh >= 0; sh -= 8)
        v.push_back(static_cast<std::uint8_t>(dataLen >> sh));
    for (std::uint32_t i = 0; i < dataLen; ++i)
        v.push_back(static_cast<std::uint8_t>(i * 13));
    return v;
}

} // namespace simtest
