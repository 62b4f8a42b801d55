#include "settings/TodoTab.h"

#include "core/actions/Actions.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"
#include "settings/Symbols.h"
#include "settings/ThreadListTab.h"

#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace cadro {

TodoTab::TodoTab(const TodoRow::Context& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      stack_(new QStackedWidget(this)),
      empty_(new EmptyState("No to-dos yet",
                            "To-dos are the small stuff. They drop in between threads now and "
                            "then, or at a set time if you schedule them.",
                            "Add To-Do", stack_)),
      list_(new ThreadListWidget(stack_)),
      chance_(new QSpinBox(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 10, 10, 10);
    header->addStretch(1);
    auto* add = new QPushButton("Add To-Do", this);
    add->setObjectName("addTodoButton");
    add->setIcon(Symbols::icon("plus", 12, palette().color(QPalette::ButtonText)));
    connect(add, &QPushButton::clicked, this, &TodoTab::addTodoRequested);
    header->addWidget(add);
    layout->addLayout(header);
    layout->addWidget(divider(this));

    empty_->setObjectName("emptyState");
    connect(empty_, &EmptyState::actionTriggered, this, &TodoTab::addTodoRequested);
    list_->setObjectName("todoList");
    list_->setAccessibleName("To-dos");
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    stack_->addWidget(empty_);
    stack_->addWidget(list_);
    layout->addWidget(stack_, 1);
    layout->addWidget(divider(this));

    auto* chanceLine = new QHBoxLayout;
    chanceLine->setContentsMargins(10, 10, 10, 10);
    auto* chanceLabel = new QLabel("Chance per Next to surface a to-do", this);
    chanceLabel->setFont(scaledFont(12));
    chanceLabel->setBuddy(chance_);
    chance_->setObjectName("chanceSpin");
    chance_->setAccessibleName(chanceLabel->text());
    chance_->setRange(0, 100);
    chance_->setSuffix("%");
    chance_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    chance_->setAlignment(Qt::AlignRight);
    connect(chance_, &QSpinBox::valueChanged, this, [this](int percent) {
        actions::setTodoChancePercent(*context_.store, std::clamp(percent, 0, 100));
    });
    chanceLine->addWidget(chanceLabel);
    chanceLine->addStretch(1);
    chanceLine->addWidget(chance_);
    layout->addLayout(chanceLine);

    layout->addWidget(new FooterNote(
        "Shorter to-dos are more likely to come up. A scheduled to-do shows up at its time, and "
        "you go back to your thread after. Next marks a to-do done, and a repeating one waits for "
        "its next time. Snooze sets a to-do aside until the time you pick.",
        this));
    refresh();
}

TodoRow* TodoTab::row(const Uuid& id) const {
    for (TodoRow* row : rows_) {
        if (row->todo().id == id)
            return row;
    }
    return nullptr;
}

void TodoTab::refresh() {
    const std::vector<Todo>& todos = context_.store->state().todos;
    const bool sameOrder =
        todos.size() == rows_.size() &&
        std::equal(todos.begin(), todos.end(), rows_.begin(),
                   [](const Todo& t, const TodoRow* r) { return t.id == r->todo().id; });
    if (sameOrder) {
        for (std::size_t i = 0; i < todos.size(); ++i) {
            rows_[i]->setTodo(todos[i]);
            describeItem(int(i));
        }
    } else {
        rebuild(todos);
    }
    stack_->setCurrentWidget(todos.empty() ? static_cast<QWidget*>(empty_) : list_);
    const QSignalBlocker quiet(chance_);
    chance_->setValue(
        int(std::clamp<std::int64_t>(context_.store->state().todoChancePercent, 0, 100)));
}

void TodoTab::rebuild(const std::vector<Todo>& todos) {
    list_->clear();
    rows_.clear();
    for (const Todo& todo : todos) {
        auto* item = new QListWidgetItem(list_);
        item->setFlags(Qt::ItemIsEnabled);
        auto* row = new TodoRow(context_, todo);
        list_->setItemWidget(item, row);
        rows_.push_back(row);
        describeItem(int(rows_.size() - 1));
    }
}

void TodoTab::describeItem(int index) {
    // The list item is what a screen reader lands on: it reads the row.
    QListWidgetItem* item = list_->item(index);
    TodoRow* row = rows_[std::size_t(index)];
    if (!item)
        return;
    item->setSizeHint(QSize(0, row->sizeHint().height() + 4));
    item->setData(Qt::AccessibleTextRole, row->accessibleName());
    item->setData(Qt::AccessibleDescriptionRole, row->accessibleDescription());
}

}  // namespace cadro
