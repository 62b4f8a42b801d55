#pragma once

#include "core/shortcuts/HotKeyManager.h"

#include <QAbstractNativeEventFilter>
#include <QString>

#include <functional>
#include <memory>

namespace cadro {

/// Global shortcuts on X11: passive key grabs on the root window of the
/// application's own X connection, with events taken from Qt's native event
/// stream. Each combo is grabbed with and without NumLock and CapsLock, so the
/// locks do not disable it. Grabs follow keyboard layout changes.
///
/// Root-window grabs are global only under X11; on Wayland (or with no display
/// at all) the backend is unavailable and every grab fails.
class X11HotKeyBackend : public HotKeyBackend, public QAbstractNativeEventFilter {
  public:
    using EventSink = std::function<void(std::uint32_t id, HotKeyEvent event)>;

    /// Uses the running QGuiApplication's X connection, if it has one, and
    /// reports the presses and releases of grabbed keys to `sink`.
    explicit X11HotKeyBackend(EventSink sink);
    ~X11HotKeyBackend() override;
    X11HotKeyBackend(const X11HotKeyBackend&) = delete;
    X11HotKeyBackend& operator=(const X11HotKeyBackend&) = delete;

    /// False when the application is not connected to an X server.
    bool isAvailable() const;
    /// Why shortcuts cannot work here, for telling the user; empty when they can.
    QString unavailableReason() const;

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override;
    void releaseAll() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cadro
