#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/base/Clock.h"
#include "core/settings/UIState.h"
#include "core/store/ThreadStore.h"
#endif

#include <QDateTime>
#include <QDialog>

#include <functional>
#include <optional>

class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace cadro {

class ColorControl;
class PriorityPicker;
class StepsField;

/// Creates a thread: title, step, plan, priority and colour.
class AddThreadSheet : public QDialog {
    Q_OBJECT
  public:
    AddThreadSheet(ThreadStore& store, const Clock& clock,
                   const std::optional<ThreadPrefill>& prefill, QWidget* parent = nullptr);
    /// True when the trimmed title is not empty.
    bool canAdd() const;

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void add();

    ThreadStore& store_;
    const Clock& clock_;
    QLineEdit* title_;
    QLineEdit* step_;
    StepsField* steps_;
    PriorityPicker* priority_;
    ColorControl* color_;
    QPushButton* addButton_;
};

/// Re-plans the steps after a thread's current one.
class EditStepsSheet : public QDialog {
    Q_OBJECT
  public:
    EditStepsSheet(ThreadStore& store, const Uuid& id, QWidget* parent = nullptr);

  private:
    ThreadStore& store_;
    Uuid id_;
    StepsField* steps_;
};

/// Sets a thread (or to-do) aside until a chosen time.
class SnoozeSheet : public QDialog {
    Q_OBJECT
  public:
    /// `start` is where the picker begins; earlier than `earliest` is refused.
    SnoozeSheet(const QString& title, const QDateTime& start, const QDateTime& earliest,
                std::function<void(Date)> onSnooze, QWidget* parent = nullptr);
    QString heading() const;

  private:
    QDateTimeEdit* date_;
};

// Parts every sheet is made of.

/// A fixed width, 20 points of margin and the given spacing.
QVBoxLayout* sheetLayout(QDialog* sheet, int width, int spacing);
QLabel* sheetHeading(const QString& text, QWidget* parent);
/// Resizes the sheet to its content at once, smaller too, after fields were
/// shown or hidden.
void fitSheet(QDialog* sheet);
/// `leading` (if any), flexible space, Cancel (Escape) and the default button
/// (Return), which is returned.
QPushButton* sheetButtons(QDialog* sheet, QVBoxLayout* layout, const QString& confirm,
                          const char* confirmName, QWidget* leading = nullptr);

QDateTime toQDateTime(Date date);
Date toDate(const QDateTime& dateTime);

}  // namespace cadro
