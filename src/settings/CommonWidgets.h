#pragma once

// Small widgets the tabs and sheets of the settings window share.

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/settings/ThreadTint.h"
#endif

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
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

/// Centred brand mark, title, message, an optional note on what is listed
/// beside it, and an optional prominent button. The texts wrap and the panel
/// grows with them.
class EmptyState : public QScrollArea {
    Q_OBJECT
  public:
    EmptyState(const QString& title, const QString& message, const QString& actionTitle = {},
               QWidget* parent = nullptr);

    /// A second paragraph under the message; empty hides it.
    void setNote(const QString& note);
    QSize sizeHint() const override;

  signals:
    void actionTriggered();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* note_ = nullptr;
};

/// A borderless one-line field for a title in a row. While it is not being
/// edited, a text too long for it is cut at the end with "…" (a line edit
/// would show its end instead), and the whole text is its tooltip.
class TitleField : public QLineEdit {
  public:
    explicit TitleField(QWidget* parent = nullptr);
    /// The text as drawn while the field is not being edited.
    QString shownText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QRect textArea() const;
    void refreshToolTip();
};

/// A quiet note below a list.
class FooterNote : public QLabel {
  public:
    explicit FooterNote(const QString& text, QWidget* parent = nullptr);
};

}  // namespace cadro
