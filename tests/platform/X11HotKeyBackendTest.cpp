#include "core/shortcuts/KeyCombo.h"
#include "platform/x11/X11HotKeyBackend.h"
#include "platform/x11/X11KeyTable.h"

#include <QGuiApplication>
#include <QProcess>
#include <QtTest/QTest>

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <X11/Xlib.h>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace cadro {
namespace {

constexpr std::uint32_t kControlOptionCommand = Modifier::required;
// Control, Alt and Super as X modifiers.
constexpr std::uint16_t kXControlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr xcb_keysym_t kKeysymM = 0x6d;
constexpr xcb_keysym_t kKeysymN = 0x6e;

// Presses keys as a user would, through the X server.
void xdotool(const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0) << "xdotool failed";
}

// Another program on the same display, holding its own grabs.
class OtherClient {
  public:
    OtherClient() : connection_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        symbols_ = xcb_key_symbols_alloc(connection_);
    }
    ~OtherClient() {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(connection_);
    }

    bool grab(xcb_keysym_t keysym, std::uint16_t modifiers) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 0, root_, modifiers, code,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return code != 0 && error == nullptr;
    }

    // Moves the key's symbol to the last key code that has none, as a layout
    // switch can. Returns false when the keymap has no free key code.
    bool moveToSpareKeyCode(xcb_keysym_t keysym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        const xcb_keycode_t from = codes ? codes[0] : 0;
        std::free(codes);
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        xcb_keycode_t spare = setup->max_keycode;
        while (spare > setup->min_keycode && xcb_key_symbols_get_keysym(symbols_, spare, 0) != 0)
            --spare;
        if (from == 0 || spare == setup->min_keycode)
            return false;
        const xcb_keysym_t nothing = 0;
        xcb_change_keyboard_mapping(connection_, 1, spare, 1, &keysym);
        xcb_change_keyboard_mapping(connection_, 1, from, 1, &nothing);
        xcb_flush(connection_);
        return true;
    }

  private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
};

class X11HotKeyBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "Xvfb is missing or did not start";
        backend_ = std::make_unique<X11HotKeyBackend>(
            [this](std::uint32_t id, HotKeyEvent event) { manager_->handle(id, event); });
        manager_ = std::make_unique<HotKeyManager>(*backend_);
        ASSERT_TRUE(backend_->isAvailable());
    }

    // Next ⌃⌥⌘N, Next with New Task ⌃⌥⌘M, Typed Task ⌃⌥⌘I, Snooze ⌃⌥⌘S.
    std::vector<HotKeyManager::Binding> defaults() {
        std::vector<HotKeyManager::Binding> bindings;
        const std::uint32_t keys[] = {45, 46, 34, 1};
        for (std::uint32_t id = 1; id <= 4; ++id)
            bindings.push_back(
                {id, keys[id - 1], kControlOptionCommand, [this, id] { ++runs_[id]; }});
        return bindings;
    }

    // Waits until `id` has run `count` times. Events from the server arrive in
    // order, so once a later shortcut is seen, earlier presses have been too.
    bool waitForRuns(std::uint32_t id, int count) {
        return QTest::qWaitFor([&] { return runs_[id] >= count; }, 3000) && runs_[id] == count;
    }

    std::unique_ptr<X11HotKeyBackend> backend_;
    std::unique_ptr<HotKeyManager> manager_;  // declared last: goes before the backend
    std::map<std::uint32_t, int> runs_;
};

// Holding a key down is checked end to end in tray_e2e.
TEST_F(X11HotKeyBackendTest, APressRunsTheShortcutWhateverTheLocksOrKeymap) {
    manager_->replaceAll(defaults());
    ASSERT_EQ(manager_->registrations(), (std::vector<std::optional<std::uint32_t>>{1, 2, 3, 4}));
    xdotool({"key", "ctrl+alt+super+n"});
    EXPECT_TRUE(waitForRuns(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return manager_->heldDown().empty(); }, 3000));
    // The same key without Super is not the shortcut.
    xdotool({"key", "ctrl+alt+n", "ctrl+alt+super+s"});
    EXPECT_TRUE(waitForRuns(4, 1));
    EXPECT_EQ(runs_[1], 1);

    // Caps Lock, both, then Num Lock alone.
    xdotool({"key", "Caps_Lock", "ctrl+alt+super+i", "Num_Lock", "ctrl+alt+super+i", "Caps_Lock",
             "ctrl+alt+super+i"});
    EXPECT_TRUE(waitForRuns(3, 3));
    xdotool({"key", "Num_Lock"});

    // The shortcut follows its key when the keymap moves it.
    OtherClient other;
    ASSERT_TRUE(other.moveToSpareKeyCode(kKeysymN));
    QTest::qWait(300);  // the mapping notification reaches us and we grab again
    xdotool({"key", "ctrl+alt+super+n"});
    EXPECT_TRUE(waitForRuns(1, 2));
}

TEST_F(X11HotKeyBackendTest, ComboHeldElsewhereFailsOnlyThatShortcut) {
    OtherClient other;
    ASSERT_TRUE(other.grab(kKeysymM, kXControlAltSuper));
    std::vector<HotKeyManager::Binding> bindings = defaults();
    bindings.push_back({5, 45, kControlOptionCommand, [this] { ++runs_[5]; }});      // Next's again
    bindings.push_back({6, 0xFFFF, kControlOptionCommand, [this] { ++runs_[6]; }});  // no such key
    manager_->replaceAll(bindings);

    using Entry = std::optional<std::uint32_t>;
    EXPECT_EQ(manager_->registrations(),
              (std::vector<Entry>{1, std::nullopt, 3, 4, std::nullopt, std::nullopt}));
    xdotool({"key", "ctrl+alt+super+m", "ctrl+alt+super+n", "ctrl+alt+super+s"});
    EXPECT_TRUE(waitForRuns(4, 1));
    EXPECT_EQ(runs_[1], 1);
    EXPECT_EQ(runs_[2], 0);
    EXPECT_EQ(runs_[5], 0) << "the first registration of a combo keeps it";

    // Unregistering releases the grabs on the server, with and without locks.
    manager_->replaceAll({});
    EXPECT_TRUE(other.grab(kKeysymN, kXControlAltSuper));
    EXPECT_TRUE(other.grab(kKeysymN, kXControlAltSuper | XCB_MOD_MASK_LOCK));
}

// The letters and unmapped codes are pinned by the grabs in X11HotKeyBackendTest.
TEST(X11KeyTableTest, EveryKeyWithASpecialLabelHasAnXKeyOfThatName) {
    for (std::uint32_t code = 0; code < 128; ++code) {
        const auto label = specialKeyLabel(code);
        if (!label)
            continue;
        const std::optional<std::uint32_t> keysym = x11::keysymForKeyCode(code);
        ASSERT_TRUE(keysym.has_value()) << code;
        if (label->starts_with("F")) {  // the F keys are not in order
            const char* name = XKeysymToString(*keysym);
            EXPECT_EQ(name ? std::string(name) : "", *label) << code;
        }
    }
}

}  // namespace
}  // namespace cadro
