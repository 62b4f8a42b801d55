#include "settings/ThreadListTab.h"

#include "core/actions/Actions.h"
#include "core/settings/SettingsText.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace cadro {
namespace {

struct ListTexts {
    const char* emptyTitle;
    const char* emptyMessage;
    const char* footer;
};

ListTexts textsFor(ThreadKind kind) {
    switch (kind) {
        case ThreadKind::active:
            return {"No threads yet",
                    "A thread is anything you keep coming back to, like a project or a client. "
                    "Add one and it joins the cycle.",
                    "Drag threads to change the order they come up in. A thread without a "
                    "priority comes up once per round. Give one a priority to bring it back "
                    "sooner: priority 2 comes back every 3rd Next."};
        case ThreadKind::parked:
            return {"Nothing parked",
                    "Park a thread to take it out of the cycle without losing it. It waits here "
                    "until you bring it back.",
                    "Parked threads sit out of the cycle until you unpark them."};
        case ThreadKind::snoozed:
            return {"Nothing snoozed",
                    "Snooze a thread to set it aside until a time you pick. It comes back on its "
                    "own.",
                    "Snoozed threads rejoin the cycle automatically at their wake time."};
    }
    return {};
}

}  // namespace

// --- ThreadListWidget -----------------------------------------------------------------

ThreadListWidget::ThreadListWidget(QWidget* parent) : QListWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows follow the window's width both ways, so titles are cut where
    // they can be seen.
    setResizeMode(QListView::Adjust);
    setSpacing(0);
    // Rows paint their own current background; no selection highlight.
    setStyleSheet(
        "QListWidget { background: transparent; }"
        "QListWidget::item, QListWidget::item:selected, QListWidget::item:hover"
        " { background: transparent; border: none; }");
}

void ThreadListWidget::moveRows(const std::vector<std::size_t>& offsets, std::size_t destination) {
    if (onMove && !offsets.empty())
        onMove(offsets, destination);
}

void ThreadListWidget::dropEvent(QDropEvent* event) {
    if (event->source() != this || !onMove) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    std::size_t destination = std::size_t(count());
    if (target.isValid()) {
        const QRect r = visualRect(target);
        const bool lowerHalf = event->position().toPoint().y() > r.center().y();
        destination = std::size_t(target.row()) + (lowerHalf ? 1 : 0);
    }
    std::vector<std::size_t> offsets;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        offsets.push_back(std::size_t(index.row()));
    std::sort(offsets.begin(), offsets.end());
    // Copy, not move: a move would make the view delete the dragged items
    // itself, while the store's redraw is what puts the rows in place.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    moveRows(offsets, destination);
}

// --- ThreadListTab ---------------------------------------------------------------------------

ThreadListTab::ThreadListTab(ThreadKind kind, const ThreadRow::Context& context, QWidget* parent)
    : QWidget(parent), kind_(kind), context_(context), list_(new ThreadListWidget(this)) {
    const ListTexts texts = textsFor(kind);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    list_->setObjectName("threadList");

    if (kind == ThreadKind::active) {
        auto* header = new QHBoxLayout;
        header->setContentsMargins(10, 10, 10, 10);
        header->addStretch(1);
        auto* add = new QPushButton("Add Thread", this);
        add->setObjectName("addThreadButton");
        add->setIcon(Symbols::icon("plus", 12, palette().color(QPalette::ButtonText)));
        connect(add, &QPushButton::clicked, this, &ThreadListTab::addThreadRequested);
        header->addWidget(add);
        layout->addLayout(header);
        layout->addWidget(divider(this));

        empty_ = new EmptyState(texts.emptyTitle, texts.emptyMessage, "Add Thread", this);
        connect(empty_, &EmptyState::actionTriggered, this, &ThreadListTab::addThreadRequested);
        layout->addWidget(empty_);
        layout->addWidget(list_, 1);

        list_->setDragEnabled(true);
        list_->setAcceptDrops(true);
        list_->setDropIndicatorShown(true);
        list_->setDragDropMode(QAbstractItemView::InternalMove);
        list_->setDefaultDropAction(Qt::MoveAction);
        ThreadStore* store = context.store;
        list_->onMove = [store](const std::vector<std::size_t>& offsets, std::size_t to) {
            actions::moveActive(*store, offsets, to);
        };
    } else {
        stack_ = new QStackedWidget(this);
        empty_ = new EmptyState(texts.emptyTitle, texts.emptyMessage, {}, stack_);
        stack_->addWidget(empty_);
        stack_->addWidget(list_);
        layout->addWidget(stack_, 1);
    }
    empty_->setObjectName("emptyState");
    layout->addWidget(new FooterNote(texts.footer, this));
    refresh();
}

ThreadRow* ThreadListTab::row(const Uuid& id) const {
    for (ThreadRow* row : rows_) {
        if (row->thread().id == id)
            return row;
    }
    return nullptr;
}

void ThreadListTab::refresh() {
    const std::vector<Strand>& threads = context_.store->state().threads(kind_);
    const bool sameOrder =
        threads.size() == rows_.size() &&
        std::equal(threads.begin(), threads.end(), rows_.begin(),
                   [](const Strand& t, const ThreadRow* r) { return t.id == r->thread().id; });
    if (sameOrder) {
        for (std::size_t i = 0; i < threads.size(); ++i) {
            rows_[i]->setThread(threads[i]);
            fitRow(int(i));
        }
    } else {
        rebuild(threads);
    }

    if (kind_ == ThreadKind::active) {
        const bool ownThreads = std::any_of(threads.begin(), threads.end(),
                                            [](const Strand& t) { return !t.isHygiene; });
        empty_->setVisible(!ownThreads);
        // The built-in thread's row follows the panel: say what it is.
        const auto hygiene = std::find_if(threads.begin(), threads.end(),
                                          [](const Strand& t) { return t.isHygiene; });
        empty_->setNote(hygiene == threads.end()
                            ? QString()
                            : QString::fromStdString(builtInThreadNote(*hygiene)));
    } else {
        stack_->setCurrentWidget(threads.empty() ? static_cast<QWidget*>(empty_) : list_);
    }
}

void ThreadListTab::rebuild(const std::vector<Strand>& threads) {
    list_->clear();
    rows_.clear();
    for (const Strand& thread : threads) {
        auto* item = new QListWidgetItem(list_);
        item->setFlags(kind_ == ThreadKind::active
                           ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled
                           : Qt::ItemIsEnabled);
        auto* row = new ThreadRow(context_, thread, kind_);
        list_->setItemWidget(item, row);
        rows_.push_back(row);
        fitRow(int(rows_.size() - 1));
    }
}

void ThreadListTab::fitRow(int index) {
    QListWidgetItem* item = list_->item(index);
    if (!item)
        return;
    const ThreadRow* row = rows_[std::size_t(index)];
    item->setSizeHint(QSize(0, row->sizeHint().height() + 4));
    // The list item is what a screen reader lands on: it names the thread.
    item->setData(Qt::AccessibleTextRole, QString::fromStdString(row->thread().title));
}

}  // namespace cadro
