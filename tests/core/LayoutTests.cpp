// The library's binary contract: each UsbBoard operation called through a hand-built 36-entry
// table lands in its slot with its arguments in place, and BoardInfo and VTLExc read as byte
// images at their fixed offsets.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "VtlDrvUsb.h"

namespace
{
// What the last slot function saw.
struct Call
{
    int slot = -1;
    void *self = nullptr;
    std::intptr_t a = 0, b = 0, c = 0;
    int d = 0;
};
Call g_call;

// Every slot takes this and up to four arguments: on x86-64 Windows the first three
// travel in registers and the fourth in the caller's stack slot, whatever their types.
template <int N>
std::intptr_t SlotFn(void *self, std::intptr_t a, std::intptr_t b, std::intptr_t c, int d)
{
    g_call.slot = N;
    g_call.self = self;
    g_call.a = a;
    g_call.b = b;
    g_call.c = c;
    g_call.d = d;
    if (N == 28) // GetEepromVersion fills both outputs
    {
        *reinterpret_cast<int *>(a) = 3;
        *reinterpret_cast<int *>(b) = 14;
    }
    if (N == 25)
        return reinterpret_cast<std::intptr_t>("slot 25 text");
    if (N == 31)
        return 1;
    return 1000 + N;
}

typedef std::intptr_t (*SlotPtr)(void *, std::intptr_t, std::intptr_t, std::intptr_t, int);

template <int... N> struct Table
{
    static constexpr SlotPtr entries[sizeof...(N)] = {&SlotFn<N>...};
};
template <int... N> constexpr SlotPtr Table<N...>::entries[sizeof...(N)];

using Slots = Table<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35>;
static_assert(sizeof(Slots::entries) / sizeof(Slots::entries[0]) == kUsbBoardSlots, "36 slots");

// An object whose first word points at the table, as the library's boards are laid out.
struct FakeBoard
{
    const SlotPtr *vtbl = Slots::entries;
};

class SlotTable : public ::testing::Test
{
protected:
    void SetUp() override { g_call = Call(); }
    FakeBoard fake;
    UsbBoard *board = reinterpret_cast<UsbBoard *>(&fake);
    void ExpectSlot(int n)
    {
        EXPECT_EQ(n, g_call.slot);
        EXPECT_EQ(static_cast<void *>(&fake), g_call.self) << "slot " << n;
    }
};

int ProgressStub(std::uint32_t, int, std::uint32_t, void *)
{
    return 0;
}
} // namespace

TEST_F(SlotTable, FlashOperations)
{
    EXPECT_EQ(1019, board->EraseFlash());
    ExpectSlot(19);

    EXPECT_EQ(1020, board->EraseBitstream(FAMILY_VIRTEX));
    ExpectSlot(20);
    EXPECT_EQ(1, g_call.a & 0xFF);

    const char *path = "C:\\images\\top.bit";
    EXPECT_EQ(1021, board->ProgramFlash(path, FAMILY_SPARTAN, 7, -2));
    ExpectSlot(21);
    EXPECT_EQ(path, reinterpret_cast<const char *>(g_call.a));
    EXPECT_EQ(0, g_call.b & 0xFF);
    EXPECT_EQ(7, static_cast<int>(g_call.c));
    EXPECT_EQ(-2, g_call.d);

    int ctx = 0;
    board->SetProgressCallback(ProgressStub, &ctx);
    ExpectSlot(22);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&ProgressStub), g_call.a);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&ctx), g_call.b);

    char buf[1024];
    std::uint32_t size = sizeof buf;
    EXPECT_EQ(1024, board->GetFlashInfo(FAMILY_VIRTEX, buf, &size));
    ExpectSlot(24);
    EXPECT_EQ(1, g_call.a & 0xFF);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(buf), g_call.b);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&size), g_call.c);

    EXPECT_STREQ("slot 25 text", board->GetErrorText());
    ExpectSlot(25);
}

TEST_F(SlotTable, EepromOperationsAndRelease)
{
    const char *path = "C:\\eeprom.iic";
    struct
    {
        int slot;
        int (UsbBoard::*op)(const char *);
    } byPath[] = {
        {26, &UsbBoard::SaveEeprom}, {27, &UsbBoard::ProgramEeprom}, {30, &UsbBoard::VerifyEeprom}};
    for (const auto &c : byPath)
    {
        EXPECT_EQ(1000 + c.slot, (board->*c.op)(path));
        ExpectSlot(c.slot);
        EXPECT_EQ(path, reinterpret_cast<const char *>(g_call.a));
    }

    int maj = 0, min = 0;
    EXPECT_EQ(1028, board->GetEepromVersion(&maj, &min));
    ExpectSlot(28);
    EXPECT_EQ(3, maj);
    EXPECT_EQ(14, min);

    EXPECT_EQ(1029, board->GetFileVersion(path, &maj, &min));
    ExpectSlot(29);
    EXPECT_EQ(path, reinterpret_cast<const char *>(g_call.a));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&maj), g_call.b);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&min), g_call.c);

    EXPECT_TRUE(board->IsValidEepromFile(path));
    ExpectSlot(31);

    EXPECT_EQ(1032, board->EraseEeprom());
    ExpectSlot(32);

    EXPECT_EQ(1035, board->ReleaseBoard());
    ExpectSlot(35);
}

TEST_F(SlotTable, ReservedOperationsHoldTheirOwnSlots)
{
    int (UsbBoard::*reserved[])() = {
        &UsbBoard::Reserved00, &UsbBoard::Reserved01, &UsbBoard::Reserved02, &UsbBoard::Reserved03,
        &UsbBoard::Reserved04, &UsbBoard::Reserved05, &UsbBoard::Reserved06, &UsbBoard::Reserved07,
        &UsbBoard::Reserved08, &UsbBoard::Reserved09, &UsbBoard::Reserved10, &UsbBoard::Reserved11,
        &UsbBoard::Reserved12, &UsbBoard::Reserved13, &UsbBoard::Reserved14, &UsbBoard::Reserved15,
        &UsbBoard::Reserved16, &UsbBoard::Reserved17, &UsbBoard::Reserved18};
    for (int i = 0; i < 19; ++i)
    {
        EXPECT_EQ(1000 + i, (board->*reserved[i])());
        ExpectSlot(i);
    }
    EXPECT_EQ(1023, board->Reserved23());
    ExpectSlot(23);
    EXPECT_EQ(1033, board->Reserved33());
    ExpectSlot(33);
    EXPECT_EQ(1034, board->Reserved34());
    ExpectSlot(34);
}

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
