// BoardInfo and VTLExc as byte images: what a caller reads at the fixed offsets.
#include <gtest/gtest.h>

#include <cstring>

#include "VtlDrvUsb.h"

TEST(Layout, BoardInfoFieldsSitAtTheirByteOffsets)
{
    unsigned char raw[sizeof(BoardInfo)];
    memset(raw, 0xEE, sizeof raw);
    const std::uint32_t usable = 1, io = 0x3F8;
    memcpy(raw + 0, &usable, 4);
    memcpy(raw + 4, "VTL4410 rev B", 14);
    memcpy(raw + 260, &io, 4);
    BoardInfo info;
    memcpy(&info, raw, sizeof info);
    EXPECT_EQ(1u, info.dwUsable);
    EXPECT_STREQ("VTL4410 rev B", info.szBoardType);
    EXPECT_EQ(0x3F8u, info.dwIoAddress);
    EXPECT_EQ(0xEE, info.abReserved[0]);
    EXPECT_EQ(0xEE, info.abReserved[15]);
}

TEST(Layout, VTLExcCopiesByteForByte)
{
    VTLExc a;
    memset(&a, 0, sizeof a);
    a.m_nCode = -5;
    a.m_nLine = 99;
    memset(a.m_szFile, 'f', sizeof a.m_szFile - 1);
    a.m_dwUnused = 0x12345678;
    memset(a.m_szMessage, 'm', sizeof a.m_szMessage - 1);
    VTLExc b = a; // the implicit copy is a plain byte copy: nothing hidden in the record
    EXPECT_EQ(0, memcmp(&a, &b, sizeof a));
    const unsigned char *p = reinterpret_cast<const unsigned char *>(&b);
    EXPECT_EQ('f', p[8]);
    EXPECT_EQ(0, p[8 + 1023]);
    EXPECT_EQ('m', p[1036]);
    EXPECT_EQ(0, p[1036 + 1023]);
    EXPECT_EQ(1023u, strlen(b.m_szMessage));
}
