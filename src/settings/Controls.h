#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/shell/ThreadTint.h"
#include "core/store/Records.h"
#endif

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QColorDialog;

namespace cadro {

// --- Colours -------------------------------------------------------------------

/// The colour shown when a thread has none of its own.
QColor systemBlue();
/// Stored when the colour check box is turned on for a thread without one.
inline constexpr std::string_view kDefaultThreadHex = "#4F8EF7";

QColor toQColor(const RgbColor& color);
/// The thread's colour when its text parses.
std::optional<QColor> threadColor(const std::optional<std::string>& colorHex);
/// The thread's colour, or the brand accent.
QColor threadColorOrAccent(const Strand* thread);
/// "#RRGGBB" for a picked colour.
std::string hexOf(const QColor& color);
/// The palette's secondary text colour.
QColor secondaryTextColor(const QWidget* widget);
QFont pixelFont(int pixels, QFont::Weight weight = QFont::Normal);
/// Sets a label's text colour. A style sheet, because palettes are not
/// honoured under a styled parent such as the thread list.
void setTextColor(QWidget* widget, const QColor& color);

// --- Building blocks -------------------------------------------------------------

/// A thin horizontal line between parts of a tab.
QFrame* divider(QWidget* parent);

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

/// Caption and a plain editor for one step per line.
class StepsField : public QWidget {
  public:
    explicit StepsField(QWidget* parent = nullptr);
    QPlainTextEdit* editor() const { return editor_; }
    QString text() const { return editor_->toPlainText(); }
    void setText(const QString& text) { editor_->setPlainText(text); }

  private:
    QPlainTextEdit* editor_;
};

/// "Priority" check box with a 1–20 stepper, or "once per cycle".
class PriorityPicker : public QWidget {
    Q_OBJECT
  public:
    explicit PriorityPicker(QWidget* parent = nullptr);
    bool hasPriority() const { return check_->isChecked(); }
    int priority() const { return spin_->value(); }
    /// Shows the values without emitting the change signals.
    void setValues(bool hasPriority, int priority);
    QCheckBox* checkBox() const { return check_; }
    QSpinBox* spinBox() const { return spin_; }

  signals:
    void toggled(bool on);
    void priorityChanged(int value);

  private:
    void updateVisibility();
    QCheckBox* check_;
    QSpinBox* spin_;
    QLabel* oncePerCycle_;
};

/// A swatch that opens the colour panel beside the window.
class ColorWell : public QPushButton {
    Q_OBJECT
  public:
    explicit ColorWell(QWidget* parent = nullptr);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

  signals:
    void colorPicked(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
};

/// "Color" check box and, when on, a colour well.
class ColorControl : public QWidget {
    Q_OBJECT
  public:
    explicit ColorControl(QWidget* parent = nullptr);
    bool hasColor() const { return check_->isChecked(); }
    QColor color() const { return well_->color(); }
    void setValues(bool hasColor, const QColor& color);
    QCheckBox* checkBox() const { return check_; }
    ColorWell* well() const { return well_; }

  signals:
    void toggled(bool on);
    void colorPicked(const QColor& color);

  private:
    QCheckBox* check_;
    ColorWell* well_;
};

/// The one colour panel of the settings window, placed beside the window the
/// user works in. Its callback is dropped on close() so that a sheet that has
/// gone is never written to.
namespace NearbyColorPanel {

void show(const QColor& color, std::function<void(const QColor&)> onChange, QWidget* from);
void close();
/// The panel, once it has been made (tests look at it).
QColorDialog* panel();

}  // namespace NearbyColorPanel

}  // namespace cadro
