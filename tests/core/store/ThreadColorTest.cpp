#include "core/store/ThreadColor.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(ThreadColor, ReadsSixHexDigitsWithOrWithoutHash) {
    auto a = ThreadColor::fromHex("8b7cf6");
    auto b = ThreadColor::fromHex("#8B7CF6");
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    EXPECT_DOUBLE_EQ(a->red, 139 / 255.0);
    EXPECT_DOUBLE_EQ(a->green, 124 / 255.0);
    EXPECT_DOUBLE_EQ(a->blue, 246 / 255.0);
    for (const char* bad :
         {"#8B7CF", "#8B7CF6FF", "#8B7CGG", "", "#", "##8B7CF6", "+8B7CF6", " 8B7CF6"}) {
        EXPECT_FALSE(ThreadColor::fromHex(bad)) << bad;
    }
}

TEST(ThreadColor, WritesUpperCaseAndRoundsHalvesAwayFromZero) {
    EXPECT_EQ(ThreadColor::hex(*ThreadColor::fromHex("#8b7cf6")), "#8B7CF6");
    // 0.5/255 rounds up to 01; just below it rounds down.
    EXPECT_EQ(ThreadColor::hex({0.5 / 255.0, 0.49 / 255.0, 1.0}), "#0100FF");
    EXPECT_EQ(ThreadColor::hex({-0.2, 1.7, 0.0}), "#00FF00");
}

}  // namespace
}  // namespace cadro
