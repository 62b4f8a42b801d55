#include "core/base/Utf8.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(Utf8, ValidatesWellFormedText) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xE2\x98\x90 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xFF"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x98"));          // cut short
}

TEST(Utf8, TrimsUnicodeWhitespaceAndLineBreaks) {
    EXPECT_EQ(trimWhitespaceAndNewlines("  \t\r\n hello world \n"), "hello world");
    EXPECT_EQ(trimWhitespaceAndNewlines("\xE2\x80\xA8\xC2\xA0x\xE3\x80\x80"), "x");
    EXPECT_EQ(trimWhitespaceAndNewlines(" \n\t "), "");
    EXPECT_EQ(trimWhitespaceAndNewlines("\xC2\x85mid dle\xC2\x85"), "mid dle");
}

TEST(Utf8, CutsAtUserPerceivedCharacters) {
    EXPECT_EQ(prefixCharacters("abcdef", 3), "abc");
    EXPECT_EQ(prefixCharacters("ab", 5), "ab");
    // e + combining acute is one character; a family emoji is one character.
    EXPECT_EQ(prefixCharacters("e\xCC\x81xyz", 2), "e\xCC\x81x");
    std::string family = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    EXPECT_EQ(prefixCharacters(family + "ab", 1), family);
}

}  // namespace
}  // namespace cadro
