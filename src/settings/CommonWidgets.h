#pragma once

// Small widgets the tabs and sheets of the settings window share.

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/settings/ThreadTint.h"
#endif

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

namespace cadro {

/// A borderless button showing only a symbol, 18 × 18, with a tooltip.
class IconButton : public QToolButton {
    Q_OBJECT
  public:
    IconButton(std::string_view symbol, const QString& help, QWidget* parent = nullptr);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void refreshIcon();
    std::string symbol_;
};

/// A thread's stripe, or the now strip's: 4 points wide, corner radius 2.
class Stripe : public QWidget {
  public:
    explicit Stripe(QWidget* parent = nullptr);
    void setFill(std::optional<StripeFill> fill);  // none: the brand gradient

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::optional<StripeFill> fill_;
};

/// Centred brand mark, title, message and an optional prominent button.
class EmptyState : public QWidget {
    Q_OBJECT
  public:
    EmptyState(const QString& title, const QString& message, const QString& actionTitle = {},
               QWidget* parent = nullptr);

  signals:
    void actionTriggered();
};

/// A quiet note below a list.
class FooterNote : public QLabel {
  public:
    explicit FooterNote(const QString& text, QWidget* parent = nullptr);
};

}  // namespace cadro
