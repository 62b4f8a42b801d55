#include "core/store/PersistedState.h"

namespace cadro {

const std::vector<Strand>& PersistedState::threads(ThreadKind kind) const {
    switch (kind) {
        case ThreadKind::parked:
            return parked;
        case ThreadKind::snoozed:
            return snoozed;
        case ThreadKind::active:
            break;
    }
    return active;
}

const Strand* PersistedState::current() const {
    if (active.empty())
        return nullptr;
    if (currentID) {
        for (const auto& strand : active) {
            if (strand.id == *currentID)
                return &strand;
        }
    }
    return &active.front();
}

const Todo* PersistedState::currentTodo() const {
    if (!currentTodoID)
        return nullptr;
    for (const auto& todo : todos) {
        if (todo.id == *currentTodoID)
            return &todo;
    }
    return nullptr;
}

const Strand* PersistedState::hygiene() const {
    for (const auto* strands : {&active, &parked, &snoozed}) {
        for (const auto& strand : *strands) {
            if (strand.isHygiene)
                return &strand;
        }
    }
    return nullptr;
}

bool PersistedState::currentIsHygiene() const {
    const Strand* now = current();
    return !currentTodoID && now && now->isHygiene;
}

bool PersistedState::hasOwnThreads() const {
    for (const auto* strands : {&active, &parked, &snoozed}) {
        for (const auto& strand : *strands) {
            if (!strand.isHygiene)
                return true;
        }
    }
    return false;
}

std::optional<Strand> PersistedState::strand(const Uuid& id) const {
    for (const auto* strands : {&active, &parked, &snoozed}) {
        for (const auto& strand : *strands) {
            if (strand.id == id)
                return strand;
        }
    }
    return std::nullopt;
}

std::optional<Todo> PersistedState::todo(const Uuid& id) const {
    for (const auto& todo : todos) {
        if (todo.id == id)
            return todo;
    }
    return std::nullopt;
}

std::optional<ThreadKind> PersistedState::kindOf(const Uuid& id) const {
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        for (const auto& strand : threads(kind)) {
            if (strand.id == id)
                return kind;
        }
    }
    return std::nullopt;
}

}  // namespace cadro
