#include "settings/ScheduleFields.h"

#include "core/base/Calendar.h"
#include "gui/BrandColor.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace cadro {
namespace {

constexpr RepeatUnit kUnits[] = {RepeatUnit::day, RepeatUnit::week, RepeatUnit::month};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* smallLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(scaledFont(12));
    return label;
}

// A line of a small label that names the first field (for the keyboard and
// for screen readers), the fields, and space after them.
QHBoxLayout* labelledLine(const QString& text, std::initializer_list<QWidget*> fields,
                          QWidget* parent) {
    auto* line = new QHBoxLayout;
    auto* label = smallLabel(text, parent);
    label->setBuddy(*fields.begin());
    (*fields.begin())->setAccessibleName(text);
    line->addWidget(label);
    for (QWidget* field : fields)
        line->addWidget(field);
    line->addStretch(1);
    return line;
}

QLabel* note(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(scaledFont(11));
    label->setWordWrap(true);
    setTextColor(label, secondaryTextColor(parent));
    return label;
}

QString unitText(RepeatUnit unit, bool plural) {
    switch (unit) {
        case RepeatUnit::day:
            return plural ? "days" : "day";
        case RepeatUnit::week:
            return plural ? "weeks" : "week";
        case RepeatUnit::month:
            return plural ? "months" : "month";
    }
    return {};
}

}  // namespace

// --- WeekdayPicker ----------------------------------------------------------------------

WeekdayPicker::WeekdayPicker(const std::vector<WeekdayChoice>& days, QWidget* parent)
    : QWidget(parent) {
    setObjectName("weekdayPicker");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (const WeekdayChoice& day : days) {
        auto* button = new QToolButton(this);
        button->setObjectName(qs("weekday-" + std::to_string(day.weekday)));
        button->setText(qs(day.label));
        button->setAccessibleName(qs(day.name));
        button->setToolTip(qs(day.name));
        button->setProperty("weekday", qlonglong(day.weekday));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setMinimumWidth(scaled(30));
        button->setFont(scaledFont(11));
        const std::int64_t weekday = day.weekday;
        connect(button, &QToolButton::toggled, this, [this, weekday](bool on) {
            if (on)
                weekdays_.insert(weekday);
            else
                weekdays_.erase(weekday);
            emit changed();
        });
        layout->addWidget(button);
        buttons_.push_back(button);
    }
    layout->addStretch(1);
    // A day that is on is filled with the accent, so the choice reads at a glance.
    const QColor accent = BrandColor::accent();
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.25f);
    setStyleSheet(
        QString("QToolButton { border: 1px solid %1; border-radius: 4px; padding: 2px 4px; }"
                "QToolButton:checked { background: %2; border-color: %2; color: white; }"
                "QToolButton:focus { border: 2px solid %2; }")
            .arg(edge.name(QColor::HexArgb), accent.name()));
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (i > 0)
            setTabOrder(buttons_[i - 1], buttons_[i]);
    }
}

void WeekdayPicker::setWeekdays(const std::set<std::int64_t>& weekdays) {
    weekdays_ = weekdays;
    for (QToolButton* button : buttons_) {
        const std::int64_t weekday = button->property("weekday").toLongLong();
        const QSignalBlocker quiet(button);
        button->setChecked(weekdays.count(weekday) > 0);
    }
}

// --- ScheduleFields ---------------------------------------------------------------------

ScheduleFields::ScheduleFields(const Calendar& calendar, ScheduleDraft draft, QWidget* parent)
    : QWidget(parent),
      calendar_(calendar),
      draft_(std::move(draft)),
      onDate_(new QDateEdit(this)),
      timesHeader_(smallLabel("Time", this)),
      timeRows_(new QVBoxLayout),
      addTime_(new QPushButton("Add time", this)),
      repeats_(new QCheckBox("Repeats", this)),
      repeatSettings_(new QWidget(this)),
      interval_(new QSpinBox(repeatSettings_)),
      unit_(new QComboBox(repeatSettings_)),
      weekly_(new QWidget(repeatSettings_)),
      weekdays_(new WeekdayPicker(weekdayChoices(calendar), weekly_)),
      weekdayNote_(note("Pick at least one weekday.", weekly_)),
      monthly_(new QWidget(repeatSettings_)),
      dayOfMonth_(new QSpinBox(monthly_)) {
    setObjectName("scheduleFields");
    setFocusProxy(onDate_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    onDate_->setObjectName("onDate");
    onDate_->setCalendarPopup(true);
    onDate_->setFont(scaledFont(12));
    layout->addLayout(labelledLine("On", {onDate_}, this));

    timesHeader_->setObjectName("timesHeader");
    layout->addWidget(timesHeader_);
    timeRows_->setSpacing(4);
    layout->addLayout(timeRows_);
    addTime_->setObjectName("addTimeButton");
    addTime_->setFlat(true);
    addTime_->setFont(scaledFont(12));
    addTime_->setIcon(Symbols::icon("plus", 12, palette().color(QPalette::ButtonText)));
    addTime_->setAutoDefault(false);
    layout->addWidget(addTime_, 0, Qt::AlignLeft);

    repeats_->setObjectName("repeatsCheck");
    repeats_->setFont(scaledFont(12));
    layout->addWidget(repeats_);

    repeatSettings_->setObjectName("repeatSettings");
    auto* repeat = new QVBoxLayout(repeatSettings_);
    repeat->setContentsMargins(0, 0, 0, 0);
    repeat->setSpacing(8);
    interval_->setObjectName("intervalSpin");
    interval_->setRange(1, 99);
    unit_->setObjectName("unitCombo");
    unit_->setAccessibleName("Repeat unit");
    for (RepeatUnit unit : kUnits)
        unit_->addItem(unitText(unit, false));
    repeat->addLayout(labelledLine("Every", {interval_, unit_}, repeatSettings_));

    auto* weekly = new QVBoxLayout(weekly_);
    weekly->setContentsMargins(0, 0, 0, 0);
    weekly->setSpacing(4);
    weekly->addWidget(weekdays_);
    weekdayNote_->setObjectName("weekdayNote");
    weekly->addWidget(weekdayNote_);
    repeat->addWidget(weekly_);

    auto* monthly = new QVBoxLayout(monthly_);
    monthly->setContentsMargins(0, 0, 0, 0);
    monthly->setSpacing(4);
    dayOfMonth_->setObjectName("dayOfMonthSpin");
    dayOfMonth_->setRange(1, 31);
    monthly->addLayout(labelledLine("On day", {dayOfMonth_}, monthly_));
    monthly->addWidget(note("Months without that day are skipped.", monthly_));
    repeat->addWidget(monthly_);
    layout->addWidget(repeatSettings_);

    connect(onDate_, &QDateEdit::dateChanged, this, [this](const QDate& day) {
        const Date at = draft_.date;
        if (auto moved = calendar_.compose(day.year(), day.month(), day.day(), calendar_.hour(at),
                                           calendar_.minute(at), calendar_.second(at)))
            draft_.date = *moved;
        edited();
    });
    connect(addTime_, &QPushButton::clicked, this, [this] {
        draft_.addTime();
        rebuildTimeRows();
        edited();
    });
    connect(repeats_, &QCheckBox::toggled, this, [this](bool on) {
        draft_.repeats = on;
        edited();
    });
    connect(interval_, &QSpinBox::valueChanged, this, [this](int value) {
        draft_.interval = value;
        edited();
    });
    connect(unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            draft_.unit = kUnits[index];
        edited();
    });
    connect(weekdays_, &WeekdayPicker::changed, this, [this] {
        draft_.weekdays = weekdays_->weekdays();
        edited();
    });
    connect(dayOfMonth_, &QSpinBox::valueChanged, this, [this](int value) {
        draft_.dayOfMonth = value;
        edited();
    });

    rebuildTimeRows();
    showDraft();
}

void ScheduleFields::setDraft(ScheduleDraft draft) {
    draft_ = std::move(draft);
    rebuildTimeRows();
    showDraft();
    emit changed();
}

QWidget* ScheduleFields::lastControl() const {
    return dayOfMonth_;
}

void ScheduleFields::rebuildTimeRows() {
    for (QWidget* row : timeRowWidgets_)
        delete row;
    timeRowWidgets_.clear();
    const bool removable = draft_.timeRows.size() >= 2;
    for (const TimeRow& timeRow : draft_.timeRows) {
        auto* row = new QWidget(this);
        row->setObjectName("timeRow");
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(6);
        auto* time = new QTimeEdit(row);
        time->setObjectName("timeEdit");
        time->setAccessibleName("Time");
        time->setDisplayFormat("HH:mm");
        time->setFont(scaledFont(12));
        time->setTime(QTime(calendar_.hour(timeRow.date), calendar_.minute(timeRow.date)));
        const Uuid id = timeRow.id;
        connect(time, &QTimeEdit::timeChanged, this, [this, id](const QTime& picked) {
            for (TimeRow& r : draft_.timeRows) {
                if (r.id != id)
                    continue;
                const Date at = r.date;
                if (auto moved =
                        calendar_.compose(calendar_.year(at), calendar_.month(at),
                                          calendar_.day(at), picked.hour(), picked.minute(), 0))
                    r.date = *moved;
            }
            edited();
        });
        line->addWidget(time);
        if (removable) {
            auto* remove = new IconButton("minus.circle", "Remove time", row);
            remove->setObjectName("removeTimeButton");
            connect(remove, &QToolButton::clicked, this, [this, id] {
                draft_.removeTime(id);
                // Later: the button that was clicked goes with its row.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        rebuildTimeRows();
                        edited();
                    },
                    Qt::QueuedConnection);
            });
            line->addWidget(remove);
        }
        line->addStretch(1);
        timeRows_->addWidget(row);
        timeRowWidgets_.push_back(row);
    }
    timesHeader_->setText(draft_.timeRows.size() < 2 ? "Time" : "Times");
    chainTabOrder();
}

void ScheduleFields::showDraft() {
    const QSignalBlocker quietDate(onDate_);
    const QSignalBlocker quietRepeats(repeats_);
    const QSignalBlocker quietInterval(interval_);
    const QSignalBlocker quietUnit(unit_);
    const QSignalBlocker quietDay(dayOfMonth_);
    onDate_->setDate(QDate(calendar_.year(draft_.date), calendar_.month(draft_.date),
                           calendar_.day(draft_.date)));
    repeats_->setChecked(draft_.repeats);
    interval_->setValue(int(draft_.interval));
    unit_->setCurrentIndex(int(draft_.unit));
    weekdays_->setWeekdays(draft_.weekdays);
    dayOfMonth_->setValue(int(draft_.dayOfMonth));

    const bool plural = draft_.interval >= 2;
    for (int i = 0; i < unit_->count(); ++i)
        unit_->setItemText(i, unitText(kUnits[i], plural));
    repeatSettings_->setVisible(draft_.repeats);
    weekly_->setVisible(draft_.unit == RepeatUnit::week);
    weekdayNote_->setVisible(draft_.weekdays.empty());
    monthly_->setVisible(draft_.unit == RepeatUnit::month);
}

void ScheduleFields::edited() {
    showDraft();
    emit changed();
}

void ScheduleFields::chainTabOrder() {
    // Rows made later would otherwise come last in the window's Tab chain.
    QWidget* previous = onDate_;
    auto follow = [&previous](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    for (QWidget* row : timeRowWidgets_) {
        for (QWidget* control : row->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            follow(control);
    }
    follow(addTime_);
    follow(repeats_);
    follow(interval_);
    follow(unit_);
    for (QToolButton* button : weekdays_->buttons())
        follow(button);
    follow(dayOfMonth_);
}

}  // namespace cadro
