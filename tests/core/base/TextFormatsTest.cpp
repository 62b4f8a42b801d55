#include "core/base/Json.h"
#include "core/base/Utf8.h"
#include "core/base/Uuid.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(Uuid, RandomIdsAreVersion4WrittenUpperCaseAndReadInEitherCase) {
    Uuid id = Uuid::random();
    std::string text = id.toString();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
    EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos) << text;
    EXPECT_EQ(Uuid::parse(text), id);
    EXPECT_NE(Uuid::random(), id);

    auto upper = Uuid::parse("8B7CF6AA-0000-4000-8000-00000000ABCD");
    auto lower = Uuid::parse("8b7cf6aa-0000-4000-8000-00000000abcd");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper, lower);

    for (const char* bad :
         {"", "8B7CF6AA00004000800000000000ABCD", "8B7CF6AA-0000-4000-8000-00000000ABC",
          "8B7CF6AA-0000-4000-8000-00000000ABCDE", "8B7CF6AA-0000-4000-8000_00000000ABCD",
          "{8B7CF6AA-0000-4000-8000-00000000ABC}", "8B7CF6AG-0000-4000-8000-00000000ABCD",
          " 8B7CF6AA-0000-4000-8000-00000000ABC"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

// Sets of ids are written in their order, which must be the order of their bytes.
TEST(Uuid, OrderIsTheOrderOfTheirText) {
    const char* texts[] = {
        "00000000-0000-4000-8000-0000000000FF", "00000000-0000-4000-8000-000000000100",
        "00000000-0000-4000-8100-000000000000", "000000FF-0000-4000-8000-000000000000",
        "00000100-0000-4000-8000-000000000000", "FF000000-0000-4000-8000-000000000000"};
    for (std::size_t i = 0; i + 1 < std::size(texts); ++i)
        EXPECT_LT(*Uuid::parse(texts[i]), *Uuid::parse(texts[i + 1])) << texts[i];
}

TEST(Utf8, ValidatesTextAndShowsControlCharactersAsReplacements) {
    EXPECT_TRUE(isValidUtf8("plain \xE2\x98\x90 \xF0\x9F\x98\x80"));
    // Stray byte, overlong '/', surrogate, above U+10FFFF, cut short.
    for (const char* bad : {"\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x98"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    // Control characters alone become replacements: an escape, a C1 control, a tab.
    EXPECT_EQ(withoutControlCharacters("a\x1B[1m\xC2\x9B\t\xC3\xA9"),
              "a\xEF\xBF\xBD[1m\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9");
    EXPECT_TRUE(hasControlCharacters("line\nbreak"));
    EXPECT_FALSE(hasControlCharacters("caf\xC3\xA9 \xE2\x98\x90"));
}

TEST(Utf8, TrimsUnicodeWhitespaceAndCutsAtUserPerceivedCharacters) {
    EXPECT_EQ(trimWhitespaceAndNewlines("  \t\r\n hello world \n"), "hello world");
    EXPECT_EQ(trimWhitespaceAndNewlines("\xE2\x80\xA8\xC2\xA0x\xE3\x80\x80"), "x");
    EXPECT_EQ(trimWhitespaceAndNewlines("\xC2\x85mid dle\xC2\x85"), "mid dle");
    EXPECT_EQ(prefixCharacters("ab", 5), "ab");
    // e + combining acute is one character; a family emoji is one character.
    EXPECT_EQ(prefixCharacters("e\xCC\x81xyz", 2), "e\xCC\x81x");
    std::string family = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    EXPECT_EQ(prefixCharacters(family + "ab", 1), family);
}

// Invalid UTF-8 never makes a document unwritable.
TEST(Json, EncodesCompactWithEscapedSlashesRawUtf8AndExactDates) {
    json::OrderedValue v = json::OrderedValue::object();
    v["path"] = "/home/me/notes.md";
    v["text"] = "caf\xC3\xA9 \xFF";
    v["n"] = 3;
    EXPECT_EQ(
        json::encodeCompact(v),
        "{\"path\":\"\\/home\\/me\\/notes.md\",\"text\":\"caf\xC3\xA9 \xEF\xBF\xBD\",\"n\":3}");
    for (double seconds : {0.0, 786000000.123456789, -1.5, 1e-9, 8.0e8 + 1.0 / 3.0}) {
        json::OrderedValue dated = json::OrderedValue::object();
        dated["d"] = seconds;
        json::Value back = json::parse(json::encodeCompact(dated));
        EXPECT_EQ(json::ObjectReader(back, "").date("d").secondsSinceReference, seconds);
    }
}

// Wrong types are rejected through the store file's damaged-document cases;
// here, that the error names the place.
TEST(Json, FailuresAreDecodeErrorsAndNameThePlace) {
    json::Value v = json::parse(R"({"ok":-7})");
    json::ObjectReader in(v, "todos[3]");
    EXPECT_EQ(in.integer("ok"), -7);
    try {
        in.string("missing");
        FAIL();
    } catch (const json::DecodeError& e) {
        EXPECT_STREQ(e.what(), "todos[3]: \"missing\" is missing");
    }
    EXPECT_THROW(json::parse("{"), json::DecodeError);
    EXPECT_THROW(json::parse("{} trailing"), json::DecodeError);
    EXPECT_THROW(json::parse("\"\xFF\""), json::DecodeError);
    // A number beyond a double:
    EXPECT_THROW(json::parse(R"({"createdAt":78e6000000.5})"), json::DecodeError);
    EXPECT_THROW(json::ObjectReader(json::parse("[]"), ""), json::DecodeError);
}

}  // namespace
}  // namespace cadro
