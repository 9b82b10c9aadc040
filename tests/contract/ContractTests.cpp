#include <gtest/gtest.h>
#include "VtlDrvUsb.h"
TEST(Contract, Sizes) { EXPECT_EQ(280u, sizeof(BoardInfo)); }
