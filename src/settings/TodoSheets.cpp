#include "settings/TodoSheets.h"

#include "core/actions/Actions.h"
#include "core/base/Utf8.h"
#include "core/settings/TodoText.h"
#include "settings/ScheduleFields.h"
#include "settings/Sheets.h"
#include "settings/Style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadro {
namespace {

QString quoted(const QString& before, const QString& title) {
    return before + QString::fromUtf8("\u201C") + title + QString::fromUtf8("\u201D");
}

// Said where a schedule has no time left ahead, so the to-do would never
// come up.
QLabel* passedNote(QWidget* sheet) {
    auto* note = new QLabel(
        "That time has passed, so the to-do would never come up. Pick a later time.", sheet);
    note->setObjectName("passedNote");
    note->setWordWrap(true);
    note->setFont(scaledFont(11));
    setTextColor(note, secondaryTextColor(sheet));
    return note;
}

bool comesUp(const ScheduleDraft& draft, const Calendar& calendar, const Clock& clock) {
    return draft.schedule(calendar).nextOccurrence(clock.now(), calendar).has_value();
}

}  // namespace

// --- AddTodoSheet ----------------------------------------------------------------------

AddTodoSheet::AddTodoSheet(ThreadStore& store, const Calendar& calendar, const Clock& clock,
                           const std::optional<TodoPrefill>& prefill, QWidget* parent)
    : QDialog(parent),
      store_(store),
      calendar_(calendar),
      clock_(clock),
      passedNote_(passedNote(this)),
      title_(new QLineEdit(this)),
      estimate_(new QComboBox(this)),
      scheduled_(new QCheckBox("Schedule", this)),
      fields_(new ScheduleFields(calendar, ScheduleDraft::makeNew(clock.now(), calendar), this)) {
    setObjectName("addTodoSheet");
    setWindowTitle("Add To-Do");
    auto* layout = sheetLayout(this, 400, 14);
    layout->addWidget(sheetHeading("Add To-Do", this));

    title_->setObjectName("titleField");
    title_->setPlaceholderText("To-do");
    title_->setAccessibleName("To-do");
    layout->addWidget(title_);

    auto* estimateLine = new QHBoxLayout;
    auto* estimateCaption = new QLabel("Estimate", this);
    estimateCaption->setFont(scaledFont(12));
    estimateCaption->setBuddy(estimate_);
    estimate_->setObjectName("estimateCombo");
    estimate_->setAccessibleName("Estimate");
    estimate_->setFixedWidth(scaled(110));
    estimate_->addItem("None", 0);
    for (const Estimate& choice : kEstimates)
        estimate_->addItem(QString::fromUtf8(choice.label.data(), int(choice.label.size())),
                           qlonglong(choice.minutes));
    estimateLine->addWidget(estimateCaption);
    estimateLine->addWidget(estimate_);
    estimateLine->addStretch(1);
    layout->addLayout(estimateLine);

    scheduled_->setObjectName("scheduleCheck");
    scheduled_->setFont(scaledFont(12));
    layout->addWidget(scheduled_);
    auto* indented = new QHBoxLayout;
    indented->setContentsMargins(20, 0, 0, 0);
    indented->addWidget(fields_);
    layout->addLayout(indented);
    layout->addWidget(passedNote_);

    addButton_ = sheetButtons(this, layout, "Add", "addButton");
    connect(addButton_, &QPushButton::clicked, this, &AddTodoSheet::add);

    if (prefill) {
        title_->setText(QString::fromStdString(prefill->title));
        int index = estimate_->findData(qlonglong(prefill->minutes));
        if (index < 0) {
            // An estimate the list does not offer is kept as it is.
            estimate_->addItem(QString::fromStdString(estimateLabel(prefill->minutes)),
                               qlonglong(prefill->minutes));
            index = estimate_->count() - 1;
        }
        estimate_->setCurrentIndex(index);
        scheduled_->setChecked(true);
        fields_->setDraft(ScheduleDraft::fromSchedule(prefill->schedule, clock.now(), calendar));
    }
    connect(title_, &QLineEdit::textChanged, this, &AddTodoSheet::refresh);
    connect(scheduled_, &QCheckBox::toggled, this, &AddTodoSheet::refresh);
    connect(fields_, &ScheduleFields::changed, this, &AddTodoSheet::refresh);
    setTabOrder(title_, estimate_);
    setTabOrder(estimate_, scheduled_);
    setTabOrder(scheduled_, fields_);
    setTabOrder(fields_->lastControl(), findChild<QPushButton*>("cancelButton"));
    setTabOrder(findChild<QPushButton*>("cancelButton"), addButton_);
    refresh();
    title_->setFocus();
}

bool AddTodoSheet::schedulePassed() const {
    return scheduled_->isChecked() && fields_->draft().isValid() &&
           !comesUp(fields_->draft(), calendar_, clock_);
}

bool AddTodoSheet::canAdd() const {
    if (trimWhitespaceAndNewlines(title_->text().toStdString()).empty())
        return false;
    return !scheduled_->isChecked() || (fields_->draft().isValid() && !schedulePassed());
}

void AddTodoSheet::refresh() {
    fields_->setVisible(scheduled_->isChecked());
    passedNote_->setVisible(schedulePassed());
    addButton_->setEnabled(canAdd());
    fitSheet(this);
}

void AddTodoSheet::add() {
    // The minute may have passed while the sheet was open.
    if (!canAdd()) {
        refresh();
        return;
    }
    const qlonglong minutes = estimate_->currentData().toLongLong();
    std::optional<TodoSchedule> schedule;
    if (scheduled_->isChecked())
        schedule = fields_->draft().schedule(calendar_);
    actions::addTodo(store_, title_->text().toStdString(),
                     minutes != 0 ? std::optional<std::int64_t>(minutes) : std::nullopt,
                     std::move(schedule));
    accept();
}

// --- ScheduleSheet ---------------------------------------------------------------------

ScheduleSheet::ScheduleSheet(ThreadStore& store, const Calendar& calendar, const Clock& clock,
                             const Uuid& todoID, QWidget* parent)
    : QDialog(parent),
      store_(store),
      calendar_(calendar),
      clock_(clock),
      todoID_(todoID),
      fields_(new ScheduleFields(calendar, ScheduleDraft::makeNew(clock.now(), calendar), this)),
      passedNote_(passedNote(this)) {
    setObjectName("scheduleSheet");
    setWindowTitle("Schedule");
    const std::optional<Todo> todo = store.state().todo(todoID);
    auto* layout = sheetLayout(this, 400, 14);
    layout->addWidget(sheetHeading(
        quoted("Schedule ", todo ? QString::fromStdString(todo->title) : QString("to-do")), this));
    layout->addWidget(fields_);
    layout->addWidget(passedNote_);

    QPushButton* remove = nullptr;
    if (todo && todo->schedule) {
        fields_->setDraft(ScheduleDraft::fromSchedule(*todo->schedule, clock.now(), calendar));
        remove = new QPushButton("Remove Schedule", this);
        remove->setObjectName("removeScheduleButton");
        remove->setAutoDefault(false);
        // Destructive: red, a lighter one on a dark window.
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        setTextColor(remove, dark ? QColor(0xFF, 0x6B, 0x61) : QColor(0xD7, 0x3A, 0x2F));
        connect(remove, &QPushButton::clicked, this, [this] {
            TodoRevision revision;
            revision.schedule.emplace();  // none
            actions::reviseTodo(store_, todoID_, revision);
            accept();
        });
    }
    QPushButton* save = sheetButtons(this, layout, "Save", "saveButton", remove);
    auto refresh = [this, save] {
        const bool passed =
            fields_->draft().isValid() && !comesUp(fields_->draft(), calendar_, clock_);
        passedNote_->setVisible(passed);
        save->setEnabled(fields_->draft().isValid() && !passed);
        fitSheet(this);
        return save->isEnabled();
    };
    connect(save, &QPushButton::clicked, this, [this, refresh] {
        // The minute may have passed while the sheet was open.
        if (!refresh())
            return;
        TodoRevision revision;
        revision.schedule.emplace(fields_->draft().schedule(calendar_));
        actions::reviseTodo(store_, todoID_, revision);
        accept();
    });
    connect(fields_, &ScheduleFields::changed, this, refresh);
    refresh();
    if (remove)
        setTabOrder(fields_->lastControl(), remove);
    fields_->setFocus();
}

}  // namespace cadro
