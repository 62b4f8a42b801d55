#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/store/ThreadStore.h"
#endif

#include <QWidget>

#include "settings/RowContext.h"

#include <functional>

class QGraphicsOpacityEffect;
class QLabel;
class QLineEdit;
class QToolButton;

namespace cadro {

class Calendar;
class ColorControl;
class PriorityPicker;
class Stripe;

/// One thread in a list: edits title, step, priority and colour in place and
/// carries the list's actions, shown while the pointer is over the row.
class ThreadRow : public QWidget {
    Q_OBJECT
  public:
    struct Context : RowContext {
        std::function<void(const Uuid&)> onEditSteps;  // empty: the button does nothing
    };

    ThreadRow(const Context& context, const Strand& thread, ThreadKind kind,
              QWidget* parent = nullptr);

    /// Shows the thread as the store has it now. A field being typed in keeps
    /// its text.
    void setThread(const Strand& thread);
    const Strand& thread() const { return thread_; }
    bool isCurrent() const { return isCurrent_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void build();
    void setHovered(bool hovered);

    Context context_;
    Strand thread_;
    ThreadKind kind_;
    bool isCurrent_ = false;

    Stripe* stripe_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* step_ = nullptr;
    QLabel* nowBadge_ = nullptr;
    QWidget* wakes_ = nullptr;
    QLabel* wakesText_ = nullptr;
    QWidget* actions_ = nullptr;
    QGraphicsOpacityEffect* actionsOpacity_ = nullptr;
    QToolButton* nextSteps_ = nullptr;
    PriorityPicker* priority_ = nullptr;
    ColorControl* color_ = nullptr;
};

}  // namespace cadro
