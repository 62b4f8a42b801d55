#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/settings/TodoText.h"
#include "core/store/ThreadStore.h"
#endif

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "settings/RowContext.h"

#include <functional>

class QGraphicsOpacityEffect;
class QLabel;
class QLineEdit;
class QToolButton;

namespace cadro {

class Calendar;

/// One to-do in the list: its title edited in place, its snooze, schedule and
/// estimate, and the snooze and remove actions shown while the pointer is over
/// the row.
class TodoRow : public QWidget {
    Q_OBJECT
  public:
    struct Context : RowContext {
        std::function<void(const Uuid&)> onSchedule;
    };

    TodoRow(const Context& context, const Todo& todo, QWidget* parent = nullptr);

    /// Shows the to-do as the store has it now. A title being typed keeps its text.
    void setTodo(const Todo& todo);
    const Todo& todo() const { return todo_; }
    const TodoRowText& text() const { return text_; }
    /// The estimate choices, while they are open.
    QMenu* estimateMenu() const { return estimateMenu_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void build();
    void chooseEstimate();
    void setHovered(bool hovered);

    Context context_;
    Todo todo_;
    TodoRowText text_;

    QLineEdit* title_ = nullptr;
    QLabel* nowBadge_ = nullptr;
    QWidget* until_ = nullptr;
    QLabel* untilText_ = nullptr;
    QToolButton* schedule_ = nullptr;
    QToolButton* estimate_ = nullptr;
    QPointer<QMenu> estimateMenu_;
    QGraphicsOpacityEffect* actionsOpacity_ = nullptr;
};

}  // namespace cadro
