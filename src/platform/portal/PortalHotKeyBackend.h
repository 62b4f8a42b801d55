#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/shortcuts/HotKeyManager.h"
#endif

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <map>

namespace cadro {

/// One shortcut as the portal takes and reports it (D-Bus "(sa{sv})").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

/// Global shortcuts through the desktop portal (org.freedesktop.portal.
/// GlobalShortcuts), where a Wayland session offers them: the grabs of one
/// registration are bound together in one session, with the combos as the
/// preferred triggers; the desktop may assign others, and says which.
class PortalHotKeyBackend : public QObject, public HotKeyBackend {
    Q_OBJECT
  public:
    using EventSink = std::function<void(std::uint32_t id, HotKeyEvent event)>;
    /// The desktop's own description of each bound shortcut, by grab id.
    using TriggerSink = std::function<void(const std::map<std::uint32_t, QString>&)>;

    PortalHotKeyBackend(EventSink events, TriggerSink triggers, QObject* parent = nullptr);

    /// Asks whether the session bus has a portal with global shortcuts and
    /// tells `answer` later, on `context`'s thread, without blocking.
    static void probe(QObject* context, std::function<void(bool offered)> answer);

    /// Takes the combo into the next binding, made once the registration is
    /// complete; the portal's answer comes later, so this cannot fail here.
    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override;
    void releaseAll() override;

  private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void activated(const QDBusMessage& signal);
    void deactivated(const QDBusMessage& signal);

  private:
    void report(const QDBusMessage& signal, HotKeyEvent event);
    void bindSoon();
    void bind();
    // Calls `method` with a fresh request token and routes the request's
    // answer to `slot`.
    void request(const QString& method, QList<QVariant> arguments, const char* slot);

    EventSink events_;
    TriggerSink triggers_;
    PortalShortcuts wanted_;
    QString session_;
    bool bindQueued_ = false;
    int requests_ = 0;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut);

}  // namespace cadro

Q_DECLARE_METATYPE(cadro::PortalShortcut)
