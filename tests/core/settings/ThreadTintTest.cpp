#include "core/settings/ThreadTint.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(ThreadTint, OwnColourIsSolidTheHygieneThreadAGradientAnythingElseMuted) {
    using Kind = StripeFill::Kind;
    Strand thread;
    thread.colorHex = "#4F8EF7";
    const StripeFill own = ThreadTint::stripe(thread);
    EXPECT_EQ(own.kind, Kind::solid);
    EXPECT_EQ(own.color, *ThreadColor::fromHex("#4F8EF7"));
    EXPECT_EQ(own.opacity, 1.0);
    for (std::optional<std::string> hex :
         {std::optional<std::string>(), std::optional<std::string>("#4F8EF")}) {
        thread.colorHex = hex;
        EXPECT_EQ(ThreadTint::stripe(thread).kind, Kind::secondaryLabel) << hex.value_or("none");
        EXPECT_LT(ThreadTint::stripe(thread).opacity, 1.0);
    }
    thread.isHygiene = true;
    thread.colorHex = "#4F8EF7";  // the hygiene thread's own look wins
    EXPECT_EQ(ThreadTint::stripe(thread).kind, Kind::verticalGradient);
}

}  // namespace
}  // namespace cadro
