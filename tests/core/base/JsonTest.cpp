#include "core/base/Json.h"

#include <gtest/gtest.h>

namespace cadro::json {
namespace {

TEST(Json, EncodesCompactWithEscapedSlashesAndRawUtf8) {
    OrderedValue v = OrderedValue::object();
    v["path"] = "/home/me/notes.md";
    v["text"] = "caf\xC3\xA9 \xE2\x98\x90";
    v["n"] = 3;
    EXPECT_EQ(
        encodeCompact(v),
        "{\"path\":\"\\/home\\/me\\/notes.md\",\"text\":\"caf\xC3\xA9 \xE2\x98\x90\",\"n\":3}");
}

TEST(Json, InvalidUtf8NeverMakesADocumentUnwritable) {
    OrderedValue v = OrderedValue::object();
    v["text"] = std::string("bad \xFF byte");
    std::string out = encodeCompact(v);
    EXPECT_NE(out.find("\xEF\xBF\xBD"), std::string::npos);
}

TEST(Json, DatesRoundTripExactly) {
    for (double seconds : {0.0, 786000000.123456789, -1.5, 1e-9, 8.0e8 + 1.0 / 3.0}) {
        OrderedValue v = OrderedValue::object();
        v["d"] = seconds;
        Value back = parse(encodeCompact(v));
        EXPECT_EQ(ObjectReader(back, "").date("d").secondsSinceReference, seconds);
    }
}

// Wrong types are rejected through the store file's damaged-document cases;
// here, that the error names the place.
TEST(Json, ReaderErrorsNameThePlace) {
    Value v = parse(R"({"ok":-7})");
    ObjectReader in(v, "todos[3]");
    EXPECT_EQ(in.integer("ok"), -7);
    try {
        in.string("missing");
        FAIL();
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "todos[3]: \"missing\" is missing");
    }
}

TEST(Json, OptionalKeysTreatNullAsAbsent) {
    Value v = parse(R"({"a":null})");
    ObjectReader in(v, "");
    EXPECT_FALSE(in.optionalString("a"));
    EXPECT_FALSE(in.optionalInteger("b"));
    EXPECT_THROW(in.string("a"), DecodeError);
}

TEST(Json, ParseFailuresAreDecodeErrors) {
    EXPECT_THROW(parse("{"), DecodeError);
    EXPECT_THROW(parse("{} trailing"), DecodeError);
    EXPECT_THROW(parse("\"\xFF\""), DecodeError);
    EXPECT_THROW(parse(R"({"createdAt":78e6000000.5})"), DecodeError);  // beyond a double
    EXPECT_THROW(ObjectReader(parse("[]"), ""), DecodeError);
}

}  // namespace
}  // namespace cadro::json
