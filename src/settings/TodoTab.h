#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "settings/TodoRow.h"
#endif

#include <QWidget>

#include <vector>

class QSpinBox;
class QStackedWidget;

namespace cadro {

class EmptyState;
class ThreadListWidget;

/// The To-Do tab: the to-dos in the store's order, the chance that Next
/// brings one up, and a note on how they come up.
class TodoTab : public QWidget {
    Q_OBJECT
  public:
    TodoTab(const TodoRow::Context& context, QWidget* parent = nullptr);

    /// Redraws from the store; rows whose to-do is still in the same place
    /// are updated in place, so a title being edited keeps focus.
    void refresh();
    TodoRow* row(const Uuid& id) const;
    ThreadListWidget* list() const { return list_; }

  signals:
    void addTodoRequested();

  private:
    void rebuild(const std::vector<Todo>& todos);
    void describeItem(int index);

    TodoRow::Context context_;
    QStackedWidget* stack_;
    EmptyState* empty_;
    ThreadListWidget* list_;
    QSpinBox* chance_;
    std::vector<TodoRow*> rows_;
};

}  // namespace cadro
