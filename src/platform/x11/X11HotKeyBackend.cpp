#include "platform/x11/X11HotKeyBackend.h"

#include "platform/x11/X11KeyTable.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

// Xlib last: its macros (None, Bool, KeyPress, ...) clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace cadro {

namespace {

// Modifiers that take part in matching a press; the lock modifiers do not.
constexpr std::uint16_t kComboModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;
// Event codes of the XKEYBOARD extension, relative to its first event.
constexpr std::uint8_t kXkbNewKeyboardNotify = 0;
constexpr std::uint8_t kXkbMapNotify = 1;

struct Grab {
    std::uint32_t id;
    std::uint32_t keyCode;    // as stored in the combo
    std::uint32_t modifiers;  // as stored in the combo
    xcb_keycode_t xKeyCode;
    std::uint16_t xModifiers;
};

}  // namespace

struct X11HotKeyBackend::Impl {
    EventSink sink;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_key_symbols_t* keySymbols = nullptr;
    std::uint16_t numLockMask = 0;
    std::optional<std::uint8_t> xkbFirstEvent;
    std::vector<Grab> grabs;
    QString unavailableReason;

    ~Impl() {
        if (keySymbols) {
            xcb_key_symbols_free(keySymbols);
        }
    }

    // Every lock combination a grab is repeated for, the plain one first.
    std::vector<std::uint16_t> lockVariants() const {
        std::vector<std::uint16_t> variants{0, LockMask};
        if (numLockMask) {
            variants.push_back(numLockMask);
            variants.push_back(numLockMask | LockMask);
        }
        return variants;
    }

    std::optional<xcb_keycode_t> xKeyCodeFor(std::uint32_t keyCode) const {
        const std::optional<std::uint32_t> keysym = x11::keysymForKeyCode(keyCode);
        if (!keysym) {
            return std::nullopt;
        }
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(keySymbols, *keysym);
        if (!codes) {
            return std::nullopt;
        }
        std::optional<xcb_keycode_t> first;
        if (codes[0] != XCB_NO_SYMBOL) {
            first = codes[0];
        }
        std::free(codes);
        return first;
    }

    // NumLock sits on one of Mod1...Mod5 depending on the keymap (usually Mod2).
    void readNumLockMask() {
        numLockMask = 0;
        xcb_keycode_t* numLockCodes = xcb_key_symbols_get_keycode(keySymbols, XK_Num_Lock);
        if (!numLockCodes) {
            return;
        }
        xcb_get_modifier_mapping_reply_t* reply = xcb_get_modifier_mapping_reply(
            connection, xcb_get_modifier_mapping(connection), nullptr);
        if (reply) {
            const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
            const int perModifier = reply->keycodes_per_modifier;
            for (int modifier = 0; modifier < 8 && !numLockMask; ++modifier) {
                for (int i = 0; i < perModifier; ++i) {
                    const xcb_keycode_t code = codes[modifier * perModifier + i];
                    for (xcb_keycode_t* n = numLockCodes; code && *n != XCB_NO_SYMBOL; ++n) {
                        if (*n == code) {
                            numLockMask = std::uint16_t(1u << modifier);
                        }
                    }
                }
            }
            std::free(reply);
        }
        std::free(numLockCodes);
    }

    void readXkbFirstEvent() {
        const char* name = "XKEYBOARD";
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
            connection, xcb_query_extension(connection, std::strlen(name), name), nullptr);
        if (reply && reply->present) {
            xkbFirstEvent = reply->first_event;
        }
        std::free(reply);
    }

    bool grabOnServer(xcb_keycode_t key, std::uint16_t modifiers) {
        const std::vector<std::uint16_t> variants = lockVariants();
        std::vector<xcb_void_cookie_t> cookies;
        for (std::uint16_t lock : variants) {
            cookies.push_back(xcb_grab_key_checked(connection, 0, root, modifiers | lock, key,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
        // Only a refused plain grab (BadAccess: another client holds the combo)
        // fails the shortcut; without a lock variant it still works with the
        // locks off.
        bool plainGranted = true;
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            if (xcb_generic_error_t* error = xcb_request_check(connection, cookies[i])) {
                if (i == 0) {
                    plainGranted = false;
                }
                std::free(error);
            }
        }
        if (!plainGranted) {
            ungrabOnServer(key, modifiers);
        }
        return plainGranted;
    }

    void ungrabOnServer(xcb_keycode_t key, std::uint16_t modifiers) {
        for (std::uint16_t lock : lockVariants()) {
            xcb_ungrab_key(connection, key, root, modifiers | lock);
        }
    }

    bool add(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) {
        const std::optional<xcb_keycode_t> key = xKeyCodeFor(keyCode);
        if (!key) {
            return false;
        }
        const std::uint16_t mask = x11::modifierMaskFor(modifiers);
        // A second grab of the same keys by this client would silently replace
        // the first; refuse it as the server refuses other clients.
        for (const Grab& grab : grabs) {
            if (grab.xKeyCode == *key && grab.xModifiers == mask) {
                return false;
            }
        }
        if (!grabOnServer(*key, mask)) {
            return false;
        }
        grabs.push_back({id, keyCode, modifiers, *key, mask});
        return true;
    }

    void releaseAll() {
        for (const Grab& grab : grabs) {
            ungrabOnServer(grab.xKeyCode, grab.xModifiers);
        }
        grabs.clear();
        xcb_flush(connection);
    }

    // The layout or the modifier map changed: key codes and the NumLock mask
    // may have moved, so grab everything again from the stored combos.
    void regrab() {
        const std::vector<Grab> previous = grabs;
        releaseAll();
        if (keySymbols) {
            xcb_key_symbols_free(keySymbols);
        }
        keySymbols = xcb_key_symbols_alloc(connection);
        readNumLockMask();
        for (const Grab& grab : previous) {
            add(grab.id, grab.keyCode, grab.modifiers);
        }
        xcb_flush(connection);
    }

    bool handleKey(const xcb_key_press_event_t* event, HotKeyEvent kind) {
        bool matched = false;
        for (const Grab& grab : grabs) {
            if (grab.xKeyCode != event->detail) {
                continue;
            }
            // Modifiers are often let go before the key, so a release is
            // matched on the key alone.
            if (kind == HotKeyEvent::pressed &&
                (event->state & kComboModifiers) != grab.xModifiers) {
                continue;
            }
            matched = true;
            if (sink) {
                sink(grab.id, kind);
            }
        }
        // Our grabs report to the root window; the same key typed into one of
        // our own windows is left to Qt.
        return matched && event->event == root;
    }
};

X11HotKeyBackend::X11HotKeyBackend(EventSink sink) : impl_(std::make_unique<Impl>()) {
    impl_->sink = std::move(sink);
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Off X11 (Wayland, offscreen) the interface may exist without a connection.
    if (!x11 || !x11->connection()) {
        impl_->unavailableReason = QStringLiteral("This session does not run on X11.");
        return;
    }
    impl_->connection = x11->connection();
    if (Display* display = x11->display()) {
        impl_->root = DefaultRootWindow(display);
        // Without this a held key sends release/press pairs, which would look
        // like separate presses.
        Bool supported = False;
        XkbSetDetectableAutoRepeat(display, True, &supported);
    } else {
        impl_->root = xcb_setup_roots_iterator(xcb_get_setup(impl_->connection)).data->root;
    }
    impl_->keySymbols = xcb_key_symbols_alloc(impl_->connection);
    impl_->readNumLockMask();
    impl_->readXkbFirstEvent();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyBackend::~X11HotKeyBackend() {
    if (impl_->connection) {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->removeNativeEventFilter(this);
        }
        impl_->releaseAll();
    }
}

bool X11HotKeyBackend::isAvailable() const {
    return impl_->connection != nullptr;
}

QString X11HotKeyBackend::unavailableReason() const {
    return impl_->unavailableReason;
}

bool X11HotKeyBackend::grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) {
    if (!impl_->connection) {
        return false;
    }
    const bool granted = impl_->add(id, keyCode, modifiers);
    xcb_flush(impl_->connection);
    return granted;
}

void X11HotKeyBackend::releaseAll() {
    if (impl_->connection) {
        impl_->releaseAll();
    }
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message) {
        return false;
    }
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    switch (type) {
        case XCB_KEY_PRESS:
            return impl_->handleKey(reinterpret_cast<xcb_key_press_event_t*>(event),
                                    HotKeyEvent::pressed);
        case XCB_KEY_RELEASE:
            return impl_->handleKey(reinterpret_cast<xcb_key_press_event_t*>(event),
                                    HotKeyEvent::released);
        case XCB_MAPPING_NOTIFY:
            if (reinterpret_cast<xcb_mapping_notify_event_t*>(event)->request !=
                XCB_MAPPING_POINTER) {
                impl_->regrab();
            }
            return false;
        default:
            // XKB events carry their own kind in the byte after the type.
            if (impl_->xkbFirstEvent && type == *impl_->xkbFirstEvent &&
                (event->pad0 == kXkbNewKeyboardNotify || event->pad0 == kXkbMapNotify)) {
                impl_->regrab();
            }
            return false;
    }
}

}  // namespace cadro
