#include "platform/Machine.h"

#include <gtest/gtest.h>

#include "platform/Com.h"

TEST(Guid, FormatsBracedUpperCase) {
  platform::Guid g{0x673425BF, 0x6C7C, 0x4C7C, {0xBD, 0xFD, 0x56, 0x94, 0x64, 0xB8, 0xE0, 0xCE}};
  EXPECT_EQ(platform::GuidToString(g), L"{673425BF-6C7C-4C7C-BDFD-569464B8E0CE}");
  // Every field keeps its leading zeros.
  platform::Guid small{0x5, 0xA, 0x0, {0, 1, 0, 0, 0, 0, 0, 0xF}};
  EXPECT_EQ(platform::GuidToString(small), L"{00000005-000A-0000-0001-00000000000F}");
  EXPECT_FALSE(g.IsZero());
  EXPECT_TRUE(platform::Guid{}.IsZero());
}
