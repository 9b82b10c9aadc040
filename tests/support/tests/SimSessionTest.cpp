// SimSessionTest.cpp - the journal checks that the tool and companion tests rely on.
#include "SimSession.h"

TEST(SimSession, GaveEverythingBackPairsEachOpenWithItsOwnRelease)
{
    EXPECT_FALSE(
        vtltest::GaveEverythingBack({"VtlUsbOpenBoard(0) = board0", "VtlUsbOpenBoard(0) = board0",
                                     "board0.ReleaseBoard() = 0"}));
}
