#include "core/shortcuts/KeyCombo.h"
#include "platform/x11/X11HotKeyBackend.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

// The offscreen platform stands in for any session without an X connection,
// such as Wayland: shortcuts are unavailable, and saying so must not crash.
TEST(OffX11ShortcutsTest, BackendReportsUnavailableAndRefusesEveryGrab) {
    int events = 0;
    X11HotKeyBackend backend([&](std::uint32_t, HotKeyEvent) { ++events; });
    EXPECT_FALSE(backend.isAvailable());
    EXPECT_FALSE(backend.unavailableReason().isEmpty());

    HotKeyManager manager(backend);
    manager.replaceAll({{1, 45, Modifier::required, [] {}}});
    EXPECT_EQ(manager.registrations(), (std::vector<std::optional<std::uint32_t>>{std::nullopt}));
    manager.unregisterAll();
    EXPECT_EQ(events, 0);
}

}  // namespace
}  // namespace cadro
