#include "core/base/Uuid.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(Uuid, RandomIdsAreVersion4AndWrittenUpperCase) {
    Uuid id = Uuid::random();
    std::string text = id.toString();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
    for (char c : text)
        EXPECT_FALSE(c >= 'a' && c <= 'f') << text;
    EXPECT_EQ(Uuid::parse(text), id);
    EXPECT_NE(Uuid::random(), id);
}

TEST(Uuid, ReadsEitherCaseAndRejectsEverythingElse) {
    auto upper = Uuid::parse("8B7CF6AA-0000-4000-8000-00000000ABCD");
    auto lower = Uuid::parse("8b7cf6aa-0000-4000-8000-00000000abcd");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper, lower);
    EXPECT_EQ(lower->toString(), "8B7CF6AA-0000-4000-8000-00000000ABCD");

    for (const char* bad :
         {"", "8B7CF6AA00004000800000000000ABCD", "8B7CF6AA-0000-4000-8000-00000000ABC",
          "8B7CF6AA-0000-4000-8000-00000000ABCDE", "8B7CF6AA-0000-4000-8000_00000000ABCD",
          "{8B7CF6AA-0000-4000-8000-00000000ABC}", "8B7CF6AG-0000-4000-8000-00000000ABCD",
          " 8B7CF6AA-0000-4000-8000-00000000ABC"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

}  // namespace
}  // namespace cadro
