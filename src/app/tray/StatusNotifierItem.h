#pragma once

#include "app/tray/DBusTypes.h"

#include <QColor>
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>

#include <functional>
#include <optional>

namespace cadro {

/// What the panel shows of Cadro.
struct TrayLook {
    /// The status title, also the tooltip (plain text).
    QString title;
    /// The text beside the icon; empty for none.
    QString label;
    /// The thread's colour; none for the plain icon.
    std::optional<QColor> tint;
    bool needsAttention = false;

    friend bool operator==(const TrayLook&, const TrayLook&) = default;
};

/// Cadro's status notifier item (org.kde.StatusNotifierItem with the text
/// label most hosts know), for panels that speak D-Bus rather than XEmbed.
class StatusNotifierItem : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(QList<cadro::SniPixmap> IconPixmap READ iconPixmap)
    Q_PROPERTY(QString AttentionIconName READ attentionIconName)
    Q_PROPERTY(QList<cadro::SniPixmap> AttentionIconPixmap READ attentionIconPixmap)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(cadro::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ label)

  public:
    /// Where the item's menu is exported on the same connection.
    static constexpr auto kItemPath = "/StatusNotifierItem";
    static constexpr auto kMenuPath = "/MenuBar";

    struct Clicks {
        std::function<void(QPoint)> primary;
        std::function<void()> middle;
    };
    StatusNotifierItem(QObject* object, Clicks clicks);

    /// Takes the new look and tells the host what changed.
    void show(const TrayLook& look);

    QString id() const;
    QString category() const { return QStringLiteral("ApplicationStatus"); }
    /// The status title: what the user is on.
    QString title() const { return look_.title; }
    QString status() const;
    int windowId() const { return 0; }
    QString iconName() const;
    SniPixmaps iconPixmap() const { return pixmaps_; }
    QString attentionIconName() const;
    SniPixmaps attentionIconPixmap() const { return attentionPixmaps_; }
    /// Where the named icons are when Cadro runs from its build folder or
    /// another prefix than the desktop's; empty when none is found.
    QString iconThemePath() const;
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return true; }
    QDBusObjectPath menu() const { return QDBusObjectPath(kMenuPath); }
    QString label() const { return look_.label; }

  public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

  signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);

  private:
    void paint();
    void announceTitle() const;

    Clicks clicks_;
    TrayLook look_;
    SniPixmaps pixmaps_;
    SniPixmaps attentionPixmaps_;
};

}  // namespace cadro
