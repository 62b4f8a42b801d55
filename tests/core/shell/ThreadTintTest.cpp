#include "core/shell/ThreadTint.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(ThreadTint, StripeFill) {
    using Kind = StripeFill::Kind;
    struct Case {
        const char* name;
        bool hygiene;
        std::optional<std::string> colorHex;
        StripeFill fill;
    } cases[] = {
        {"own colour", false, "#4F8EF7", {Kind::solid, *ThreadColor::fromHex("#4F8EF7"), 1.0}},
        {"no colour", false, std::nullopt, {Kind::secondaryLabel, {}, 0.25}},
        {"unparsable colour", false, "#4F8EF", {Kind::secondaryLabel, {}, 0.25}},
        {"hygiene with a colour", true, "#4F8EF7", {Kind::verticalGradient, {}, 1.0}},
        {"hygiene", true, std::nullopt, {Kind::verticalGradient, {}, 1.0}},
    };
    for (const auto& c : cases) {
        Strand thread;
        thread.isHygiene = c.hygiene;
        thread.colorHex = c.colorHex;
        EXPECT_EQ(ThreadTint::stripe(thread), c.fill) << c.name;
    }
}

}  // namespace
}  // namespace cadro
