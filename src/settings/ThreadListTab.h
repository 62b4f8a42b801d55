#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "settings/ThreadRow.h"
#endif

#include <QListWidget>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <vector>

class QStackedWidget;

namespace cadro {

class EmptyState;

/// The list view of one thread list. In the active list rows can be dragged;
/// a drop hands the moved offsets and the destination to `onMove` and leaves
/// the rows alone: they are redrawn from the store.
class ThreadListWidget : public QListWidget {
    Q_OBJECT
  public:
    explicit ThreadListWidget(QWidget* parent = nullptr);
    std::function<void(const std::vector<std::size_t>&, std::size_t)> onMove;

    /// Moves rows `offsets` before the row at `destination`, as a drop does.
    void moveRows(const std::vector<std::size_t>& offsets, std::size_t destination);

  protected:
    void dropEvent(QDropEvent* event) override;
};

/// The Active, Parked or Snoozed tab.
class ThreadListTab : public QWidget {
    Q_OBJECT
  public:
    ThreadListTab(ThreadKind kind, const ThreadRow::Context& context, QWidget* parent = nullptr);

    /// Redraws from the store; rows whose thread is still in the same place
    /// are updated in place, so a field being edited keeps focus.
    void refresh();
    ThreadListWidget* list() const { return list_; }
    ThreadRow* row(const Uuid& id) const;

  signals:
    void addThreadRequested();

  private:
    void rebuild(const std::vector<Strand>& threads);
    void fitRow(int index);

    ThreadKind kind_;
    ThreadRow::Context context_;
    ThreadListWidget* list_;
    EmptyState* empty_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::vector<ThreadRow*> rows_;
};

}  // namespace cadro
