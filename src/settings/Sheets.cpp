#include "settings/Sheets.h"

#include "core/actions/Actions.h"
#include "core/base/Utf8.h"
#include "core/settings/SettingsText.h"
#include "gui/OneLineField.h"
#include "settings/Style.h"
#include "settings/ThreadFields.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadro {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString joinLines(const std::vector<std::string>& lines) {
    QStringList list;
    for (const auto& line : lines)
        list << qs(line);
    return list.join('\n');
}

QLineEdit* field(const char* name, const QString& placeholder, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    makeOneLine(edit);
    return edit;
}

}  // namespace

QVBoxLayout* sheetLayout(QDialog* sheet, int width, int spacing) {
    sheet->setFixedWidth(scaled(width));
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(spacing);
    // The height follows the content, both ways.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    return layout;
}

void fitSheet(QDialog* sheet) {
    // Layouts catch up with hidden fields only on a later pass of the event
    // loop, and until then hold the sheet at its old minimum height: bring
    // them up to date, innermost first, before taking the size.
    const QList<QWidget*> widgets = sheet->findChildren<QWidget*>();
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it)
        if (QLayout* layout = (*it)->layout())
            layout->activate();
    if (QLayout* layout = sheet->layout())
        layout->activate();
    sheet->adjustSize();
}

QLabel* sheetHeading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName("sheetHeading");
    label->setTextFormat(Qt::PlainText);
    label->setFont(scaledFont(13, QFont::Bold));
    label->setWordWrap(true);
    return label;
}

QPushButton* sheetButtons(QDialog* sheet, QVBoxLayout* layout, const QString& confirm,
                          const char* confirmName, QWidget* leading) {
    auto* row = new QHBoxLayout;
    if (leading)
        row->addWidget(leading);
    row->addStretch(1);
    auto* cancel = new QPushButton("Cancel", sheet);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, sheet, &QDialog::reject);
    auto* ok = new QPushButton(confirm, sheet);
    ok->setObjectName(confirmName);
    ok->setDefault(true);
    row->addWidget(cancel);
    row->addWidget(ok);
    layout->addLayout(row);
    return ok;
}

QDateTime toQDateTime(Date date) {
    return QDateTime::fromMSecsSinceEpoch(qint64(date.toUnix() * 1000.0));
}

Date toDate(const QDateTime& dateTime) {
    return Date::fromUnix(double(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

// --- AddThreadSheet ----------------------------------------------------------------------

AddThreadSheet::AddThreadSheet(ThreadStore& store, const Clock& clock,
                               const std::optional<ThreadPrefill>& prefill, QWidget* parent)
    : QDialog(parent),
      store_(store),
      clock_(clock),
      title_(field("titleField", "Thread title", this)),
      step_(field("stepField", "Current step (optional)", this)),
      steps_(new StepsField(this)),
      priority_(new PriorityPicker(this)),
      color_(new ColorControl(this)) {
    setObjectName("addThreadSheet");
    setWindowTitle("Add Thread");
    auto* layout = sheetLayout(this, 380, 16);
    layout->addWidget(sheetHeading("Add Thread", this));
    layout->addWidget(title_);
    layout->addWidget(step_);
    layout->addWidget(steps_);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(16);
    controls->addWidget(priority_);
    controls->addWidget(color_);
    controls->addStretch(1);
    layout->addLayout(controls);
    addButton_ = sheetButtons(this, layout, "Add", "addButton");
    connect(addButton_, &QPushButton::clicked, this, &AddThreadSheet::add);

    if (prefill) {
        title_->setText(qs(prefill->title));
        step_->setText(qs(prefill->step));
        steps_->setText(joinLines(prefill->nextSteps));
        color_->setValues(true, colorFromHex(prefill->colorHex).value_or(color_->color()));
    }
    connect(title_, &QLineEdit::textChanged, this, [this] { addButton_->setEnabled(canAdd()); });
    addButton_->setEnabled(canAdd());
    setTabOrder(title_, step_);
    setTabOrder(step_, steps_->editor());
    setTabOrder(steps_->editor(), priority_->checkBox());
    setTabOrder(priority_->checkBox(), priority_->spinBox());
    setTabOrder(priority_->spinBox(), color_->checkBox());
    setTabOrder(color_->checkBox(), color_->well());
    title_->setFocus();
}

bool AddThreadSheet::canAdd() const {
    return !trimWhitespaceAndNewlines(title_->text().toStdString()).empty();
}

void AddThreadSheet::add() {
    if (!canAdd())
        return;
    Strand thread;
    thread.id = Uuid::random();
    thread.title = trimWhitespaceAndNewlines(title_->text().toStdString());
    thread.step = step_->text().toStdString();
    thread.nextSteps = stepsFromText(steps_->text().toStdString());
    if (color_->hasColor())
        thread.colorHex = hexOf(color_->color());
    if (priority_->hasPriority())
        thread.priority = std::max(1, priority_->priority());
    thread.createdAt = clock_.now();
    actions::addThread(store_, std::move(thread));
    accept();
}

void AddThreadSheet::hideEvent(QHideEvent* event) {
    NearbyColorPanel::close();
    QDialog::hideEvent(event);
}

// --- EditStepsSheet ---------------------------------------------------------------------------

EditStepsSheet::EditStepsSheet(ThreadStore& store, const Uuid& id, QWidget* parent)
    : QDialog(parent), store_(store), id_(id), steps_(new StepsField(this)) {
    setObjectName("editStepsSheet");
    setWindowTitle("Next Steps");
    const std::optional<Strand> thread = store.state().strand(id);
    auto* layout = sheetLayout(this, 380, 16);
    layout->addWidget(sheetHeading(QString::fromUtf8("Next steps for \u201C") +
                                       (thread ? qs(thread->title) : QString("thread")) +
                                       QString::fromUtf8("\u201D"),
                                   this));
    layout->addWidget(steps_);
    auto* note = new QLabel(
        QString::fromUtf8("\u201CNext with New Task\u201D walks down this list, one per cycle."),
        this);
    note->setFont(scaledFont(12));
    note->setWordWrap(true);
    setTextColor(note, secondaryTextColor(this));
    layout->addWidget(note);
    QPushButton* save = sheetButtons(this, layout, "Save", "saveButton");
    connect(save, &QPushButton::clicked, this, [this] {
        ThreadRevision revision;
        revision.nextSteps = stepsFromText(steps_->text().toStdString());
        actions::reviseThread(store_, id_, revision);
        accept();
    });
    if (thread)
        steps_->setText(joinLines(thread->nextSteps));
    steps_->editor()->setFocus();
}

// --- SnoozeSheet --------------------------------------------------------------------------------

SnoozeSheet::SnoozeSheet(const QString& title, const QDateTime& start, const QDateTime& earliest,
                         std::function<void(Date)> onSnooze, QWidget* parent)
    : QDialog(parent), date_(new QDateTimeEdit(this)) {
    setObjectName("snoozeSheet");
    setWindowTitle("Snooze");
    auto* layout = sheetLayout(this, 360, 12);
    layout->addWidget(sheetHeading(
        QString::fromUtf8("Snooze \u201C") + title + QString::fromUtf8("\u201D"), this));
    auto* text = new QLabel("It leaves the cycle and returns automatically at:", this);
    text->setFont(scaledFont(12));
    setTextColor(text, secondaryTextColor(this));
    layout->addWidget(text);

    date_->setObjectName("wakeAt");
    date_->setAccessibleName("Wake at");
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat) + " HH:mm");
    date_->setMinimumDateTime(earliest);
    date_->setDateTime(start);
    layout->addWidget(date_, 0, Qt::AlignLeft);

    QPushButton* snooze = sheetButtons(this, layout, "Snooze", "snoozeButton");
    connect(snooze, &QPushButton::clicked, this, [this, onSnooze = std::move(onSnooze)] {
        if (onSnooze)
            onSnooze(toDate(date_->dateTime()));
        accept();
    });
    date_->setFocus();
}

QString SnoozeSheet::heading() const {
    auto* label = findChild<QLabel*>("sheetHeading");
    return label ? label->text() : QString();
}

}  // namespace cadro
