#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/base/Calendar.h"
#include "core/base/Clock.h"
#include "core/settings/UIState.h"
#include "core/store/ThreadStore.h"
#endif

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace cadro {

class ScheduleFields;

/// Creates a to-do: title, estimate and, when ticked, a schedule.
class AddTodoSheet : public QDialog {
    Q_OBJECT
  public:
    AddTodoSheet(ThreadStore& store, const Calendar& calendar, const Clock& clock,
                 const std::optional<TodoPrefill>& prefill, QWidget* parent = nullptr);
    /// A title that is not blank and, when scheduled, a valid schedule with a
    /// time still ahead.
    bool canAdd() const;

  private:
    void add();
    void refresh();
    // A schedule whose times have all passed would never come up.
    bool schedulePassed() const;

    ThreadStore& store_;
    const Calendar& calendar_;
    const Clock& clock_;
    QLabel* passedNote_;
    QLineEdit* title_;
    QComboBox* estimate_;
    QCheckBox* scheduled_;
    ScheduleFields* fields_;
    QPushButton* addButton_;
};

/// Edits, or removes, the schedule of a to-do that exists.
class ScheduleSheet : public QDialog {
    Q_OBJECT
  public:
    ScheduleSheet(ThreadStore& store, const Calendar& calendar, const Clock& clock,
                  const Uuid& todoID, QWidget* parent = nullptr);

  private:
    ThreadStore& store_;
    const Calendar& calendar_;
    const Clock& clock_;
    Uuid todoID_;
    ScheduleFields* fields_;
    QLabel* passedNote_;
};

}  // namespace cadro
