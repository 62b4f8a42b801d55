#pragma once

// The fields of the thread sheets and rows: steps, priority and colour.

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

#include <functional>

class QColorDialog;

namespace cadro {

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
