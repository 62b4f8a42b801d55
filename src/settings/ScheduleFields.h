#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/schedule/ScheduleDraft.h"
#include "core/schedule/ScheduleLabels.h"
#endif

#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;
class QVBoxLayout;

namespace cadro {

/// A line of toggle buttons, one per weekday, in the order given.
class WeekdayPicker : public QWidget {
    Q_OBJECT
  public:
    explicit WeekdayPicker(const std::vector<WeekdayChoice>& days, QWidget* parent = nullptr);

    const std::set<std::int64_t>& weekdays() const { return weekdays_; }
    /// Shows the set without emitting changed().
    void setWeekdays(const std::set<std::int64_t>& weekdays);
    /// The buttons, in the order shown.
    const std::vector<QToolButton*>& buttons() const { return buttons_; }

  signals:
    void changed();

  private:
    std::set<std::int64_t> weekdays_;
    std::vector<QToolButton*> buttons_;
};

/// The schedule form: start day, times, and the repeat settings. It edits a
/// draft of its own; the sheet that holds it reads draft() when it saves.
class ScheduleFields : public QWidget {
    Q_OBJECT
  public:
    ScheduleFields(const Calendar& calendar, ScheduleDraft draft, QWidget* parent = nullptr);

    const ScheduleDraft& draft() const { return draft_; }
    void setDraft(ScheduleDraft draft);
    /// The last control in Tab order, so a sheet can chain its buttons after it.
    QWidget* lastControl() const;

  signals:
    /// Any edit of the draft.
    void changed();

  private:
    void rebuildTimeRows();
    void showDraft();
    void edited();
    void chainTabOrder();

    const Calendar& calendar_;
    ScheduleDraft draft_;

    QDateEdit* onDate_;
    QLabel* timesHeader_;
    QVBoxLayout* timeRows_;
    std::vector<QWidget*> timeRowWidgets_;
    QPushButton* addTime_;
    QCheckBox* repeats_;
    QWidget* repeatSettings_;
    QSpinBox* interval_;
    QComboBox* unit_;
    QWidget* weekly_;
    WeekdayPicker* weekdays_;
    QLabel* weekdayNote_;
    QWidget* monthly_;
    QSpinBox* dayOfMonth_;
};

}  // namespace cadro
