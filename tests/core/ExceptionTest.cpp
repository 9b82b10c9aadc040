// A VTLExc thrown by value inside a DLL is caught by reference in the program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ThrowLib.h"

TEST(Exception, ThrownByAnExportedFunctionIsCaughtByReference)
{
    std::string longMessage(1023, 'x');
    bool caught = false;
    try
    {
        ThrowLibRaise(42, "drv.cpp", longMessage.c_str());
    }
    catch (VTLExc &e)
    {
        caught = true;
        EXPECT_EQ(42, e.m_nCode);
        EXPECT_EQ(1234, e.m_nLine);
        EXPECT_STREQ("drv.cpp", e.m_szFile);
        EXPECT_EQ(0xA5A5A5A5u, e.m_dwUnused);
        EXPECT_EQ(longMessage, e.m_szMessage);
    }
    EXPECT_TRUE(caught);
}

TEST(Exception, ThrownByABoardOperationIsCaughtByReference)
{
    UsbBoard *board = ThrowLibBoard();
    ASSERT_NE(nullptr, board);
    EXPECT_EQ(26, board->SaveEeprom("a.iic")); // a neighbour slot returns normally
    bool caught = false;
    try
    {
        board->ProgramEeprom("C:\\boards\\img.iic");
    }
    catch (const VTLExc &e)
    {
        caught = true;
        EXPECT_EQ(27, e.m_nCode);
        EXPECT_STREQ("C:\\boards\\img.iic", e.m_szMessage);
        EXPECT_NE(nullptr, strstr(e.m_szFile, "ThrowLib.cpp"));
    }
    EXPECT_TRUE(caught);
    // After the unwind the board still answers.
    EXPECT_EQ(30, board->VerifyEeprom("a.iic"));
}

TEST(Exception, OtherTypesDoNotMatchVTLExc)
{
    // A catch of an unrelated type must not swallow it: the record reaches the outer handler.
    int where = 0;
    try
    {
        try
        {
            ThrowLibRaise(1, "f", "m");
        }
        catch (const std::exception &)
        {
            where = 1;
        }
    }
    catch (VTLExc &)
    {
        where = 2;
    }
    EXPECT_EQ(2, where);
}
