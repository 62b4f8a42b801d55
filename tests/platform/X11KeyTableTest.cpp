#include "core/shortcuts/KeyCombo.h"
#include "platform/x11/X11KeyTable.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace cadro::x11 {
namespace {

// The letters and unmapped codes are pinned by the grabs in X11HotKeyBackendTest.
TEST(X11KeyTableTest, EveryKeyWithASpecialLabelHasAnXKeyOfThatName) {
    for (std::uint32_t code = 0; code < 128; ++code) {
        const auto label = specialKeyLabel(code);
        if (!label)
            continue;
        const std::optional<std::uint32_t> keysym = keysymForKeyCode(code);
        ASSERT_TRUE(keysym.has_value()) << code;
        if (label->starts_with("F")) {  // the F keys are not in order
            const char* name = XKeysymToString(*keysym);
            EXPECT_EQ(name ? std::string(name) : "", *label) << code;
        }
    }
}

}  // namespace
}  // namespace cadro::x11
