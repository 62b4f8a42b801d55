#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace cadro {

/// Desktop notifications (org.freedesktop.Notifications). Cadro keeps one
/// on screen at a time: each new one replaces the one before.
class DesktopNotifications : public QObject {
    Q_OBJECT
  public:
    struct Action {
        QString key;
        QString label;
    };
    /// Told the key of the action the user chose on the current notification.
    using ActionHandler = std::function<void(const QString& key)>;

    explicit DesktopNotifications(QObject* parent = nullptr);

    /// Shows `summary` and `body`, with the actions where the server offers
    /// actions at all. Does nothing without a notification server. A
    /// `resident` one stays in the server's history with its actions until
    /// `withdraw` takes it back.
    void show(const QString& summary, const QString& body, const QList<Action>& actions,
              ActionHandler onAction, bool resident = false);
    /// Takes back the notification `show` put up, if it is still there.
    void withdraw();
    /// A notice beside the current notification, replacing none. Calls
    /// `unreachable` instead when no notification server answers.
    void notice(const QString& summary, const QString& body, std::function<void()> unreachable);

  private slots:
    void actionInvoked(uint id, const QString& key);
    void closed(uint id, uint reason);

  private:
    struct Request {
        QString summary;
        QString body;
        QList<Action> actions;
        ActionHandler onAction;
        bool resident = false;
    };
    // Sends the waiting request once the one before has its id, so that it
    // replaces that one rather than standing beside it.
    void sendWaiting();
    void send(const Request& request, bool withActions);

    std::optional<Request> waiting_;
    bool isSending_ = false;
    uint shownId_ = 0;
    ActionHandler onAction_;
};

}  // namespace cadro
