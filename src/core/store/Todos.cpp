// To-dos in the cycle: the chance draw, finishing a to-do and what comes up
// after it, snoozing, and editing to-dos.
#include "core/base/Calendar.h"
#include "core/base/Utf8.h"
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

#include <algorithm>

namespace cadro {

const Calendar& ThreadStore::calendar() const {
    if (deps_.calendar)
        return *deps_.calendar;
    if (!ownCalendar_)
        ownCalendar_ = Calendar::current();
    return *ownCalendar_;
}

std::optional<Todo> weightedRandomTodo(const std::vector<Todo>& todos, Date now, double roll) {
    std::vector<const Todo*> eligible;
    std::vector<double> weights;
    double total = 0;
    for (const auto& todo : todos) {
        if (todo.schedule || (todo.snoozedUntil && *todo.snoozedUntil > now))
            continue;
        // Shorter to-dos come up more often; no estimate weighs like 30 minutes.
        double weight =
            todo.estimatedMinutes
                ? 1.0 / static_cast<double>(std::max<std::int64_t>(*todo.estimatedMinutes, 1))
                : 1.0 / 30.0;
        eligible.push_back(&todo);
        weights.push_back(weight);
        total += weight;
    }
    if (eligible.empty())
        return std::nullopt;
    double r = roll * total;
    for (std::size_t i = 0; i < eligible.size(); ++i) {
        if (r < weights[i])
            return *eligible[i];
        r -= weights[i];
    }
    return *eligible.back();  // rounding left r just above the last weight
}

bool ThreadStore::drawChanceTodo() {
    const double chance = static_cast<double>(state_.todoChancePercent) / 100.0;
    if (!(deps_.random->uniform() < chance))
        return false;
    auto todo = weightedRandomTodo(state_.todos, deps_.clock->now(), deps_.random->uniform());
    if (!todo)
        return false;
    setCurrentTodoID(todo->id);
    markUnsaved();
    return true;
}

void ThreadStore::completeCurrentTodo() {
    ChangeScope scope(*this);
    const Todo* todo = state_.currentTodo();
    const bool wasScheduled = todo && todo->schedule;
    if (todo) {
        // A repeating to-do stays, waiting for its next time.
        const bool staysForLater =
            todo->schedule && todo->schedule->nextOccurrence(deps_.clock->now(), calendar());
        if (!staysForLater)
            eraseTodos(todo->id);
    }
    setCurrentTodoID(std::nullopt);
    resumeAfterTodo(wasScheduled);
}

void ThreadStore::resumeAfterTodo(bool wasScheduled) {
    ChangeScope scope(*this);
    if (state_.interruptedTodoID) {
        const Todo* interrupted = findTodo(*state_.interruptedTodoID);
        if (interrupted &&
            (!interrupted->snoozedUntil || *interrupted->snoozedUntil <= deps_.clock->now())) {
            const Uuid id = interrupted->id;
            setInterruptedTodoID(std::nullopt);
            setCurrentTodoID(id);
            markUnsaved();
            return;
        }
    }
    setInterruptedTodoID(std::nullopt);
    // A scheduled to-do interrupted the thread: go back to it.
    if (wasScheduled && state_.currentID && findIn(ThreadKind::active, *state_.currentID)) {
        markUnsaved();
        return;
    }
    pickCurrent();
}

void ThreadStore::snoozeTodo(const Uuid& id, Date until) {
    ChangeScope scope(*this);
    name(titled("Snooze", id));
    Todo* todo = editTodo(id);
    if (!todo)
        return;
    todo->snoozedUntil = until;
    if (state_.currentTodoID == id) {
        const bool wasScheduled = todo->schedule.has_value();
        setCurrentTodoID(std::nullopt);
        resumeAfterTodo(wasScheduled);
    } else {
        markUnsaved();
    }
}

Todo* ThreadStore::editTodo(const Uuid& id) {
    if (!findTodo(id))
        return nullptr;
    changed(StoreProperty::todos);
    for (auto& todo : state_.todos) {
        if (todo.id == id)
            return &todo;
    }
    return nullptr;
}

void ThreadStore::eraseTodos(const Uuid& id) {
    const Uuid gone = id;  // `id` may live in the list we are changing
    changed(StoreProperty::todos);
    std::erase_if(state_.todos, [&](const Todo& todo) { return todo.id == gone; });
    state_.pendingScheduledTodoIDs.erase(gone);
}

std::optional<Uuid> ThreadStore::addTodo(std::string_view title,
                                         std::optional<std::int64_t> minutes,
                                         std::optional<TodoSchedule> schedule) {
    ChangeScope scope(*this);
    std::string trimmed = trimWhitespaceAndNewlines(title);
    if (trimmed.empty())
        return std::nullopt;
    name("Add \"" + trimmed + "\"");
    Todo todo;
    todo.id = Uuid::random();
    todo.title = std::move(trimmed);
    todo.estimatedMinutes = minutes;
    todo.createdAt = deps_.clock->now();
    todo.schedule = std::move(schedule);
    changed(StoreProperty::todos);
    state_.todos.push_back(todo);
    markUnsaved();
    return todo.id;
}

void ThreadStore::removeTodo(const Uuid& id) {
    ChangeScope scope(*this);
    name(titled("Delete", id));
    const Todo* todo = findTodo(id);
    const bool wasScheduled = todo && todo->schedule;
    if (todo)
        eraseTodos(id);
    if (state_.interruptedTodoID == id)
        setInterruptedTodoID(std::nullopt);
    if (state_.currentTodoID == id) {
        setCurrentTodoID(std::nullopt);
        resumeAfterTodo(wasScheduled);
    } else {
        markUnsaved();
    }
}

}  // namespace cadro
