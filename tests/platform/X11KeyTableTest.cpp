#include "core/shortcuts/KeyCombo.h"
#include "platform/x11/X11KeyTable.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <string>

namespace cadro::x11 {
namespace {

std::string keysymName(std::uint32_t keyCode) {
    const std::optional<std::uint32_t> keysym = keysymForKeyCode(keyCode);
    if (!keysym) {
        return "(none)";
    }
    const char* name = XKeysymToString(*keysym);
    return name ? name : "(unnamed)";
}

TEST(X11KeyTableTest, EveryKeyWithASpecialLabelHasAnXKey) {
    int labelled = 0;
    for (std::uint32_t code = 0; code < 128; ++code) {
        const auto label = specialKeyLabel(code);
        if (!label) {
            continue;
        }
        ++labelled;
        ASSERT_TRUE(keysymForKeyCode(code).has_value()) << code;
        if (label->starts_with("F")) {
            EXPECT_EQ(keysymName(code), *label) << code;  // the F keys are not in order
        }
    }
    EXPECT_EQ(labelled, 25);
}

TEST(X11KeyTableTest, KeysMapByTheirPlaceOnTheAnsiLayout) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {45, "n"}, {46, "m"},         {34, "i"},       {1, "s"},       {22, "6"},
        {23, "5"}, {51, "BackSpace"}, {117, "Delete"}, {116, "Prior"}, {121, "Next"},
    };
    for (const auto& [code, name] : cases) {
        EXPECT_EQ(keysymName(code), name) << code;
    }
    EXPECT_EQ(keysymForKeyCode(10), std::nullopt) << "the ISO section key is not mapped";
    EXPECT_EQ(keysymForKeyCode(0xFFFF), std::nullopt);
}

TEST(X11KeyTableTest, ModifiersMapToCtrlAltShiftAndSuper) {
    EXPECT_EQ(modifierMaskFor(Modifier::required), ControlMask | Mod1Mask | Mod4Mask);
    EXPECT_EQ(modifierMaskFor(Modifier::shift), ShiftMask);
    EXPECT_EQ(modifierMaskFor(Modifier::all | 0x0400),
              ControlMask | Mod1Mask | ShiftMask | Mod4Mask)
        << "unknown bits are ignored";
}

}  // namespace
}  // namespace cadro::x11
