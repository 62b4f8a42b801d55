// Adding, changing and removing threads.
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

#include <algorithm>

namespace cadro {

void ThreadStore::addThread(Strand strand) {
    ChangeScope scope(*this);
    name("Add \"" + strand.title + "\"");
    joinRing(std::move(strand));
    afterJoiningRing();
}

void ThreadStore::reviseThread(const Uuid& id, const ThreadRevision& revision, Save when) {
    ChangeScope scope(*this);
    name(titled("Edit", id));
    deferWrite(when);
    const auto kind = state_.kindOf(id);
    if (!kind)
        return;
    Strand* strand = editIn(*kind, id);
    if (revision.title)
        strand->title = *revision.title;
    if (revision.step)
        strand->step = *revision.step;
    if (revision.nextSteps)
        strand->nextSteps = *revision.nextSteps;
    if (revision.priority) {
        strand->priority = *revision.priority;
        if (strand->priority)
            strand->priority = std::max<std::int64_t>(*strand->priority, 1);
        // In the ring the change takes effect on the very next pick.
        if (kind == ThreadKind::active)
            strand->lastSlot.reset();
    }
    if (revision.colorHex)
        strand->colorHex = *revision.colorHex;
    markUnsaved();
}

void ThreadStore::remove(Uuid id) {
    if (findTodo(id)) {
        removeTodo(id);
        return;
    }
    ChangeScope scope(*this);
    name(titled("Delete", id));
    if (auto existing = state_.strand(id); existing && existing->isHygiene)
        return;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        while (take(kind, id)) {
        }
    }
    afterLeavingRing(id);
}

bool ThreadStore::advanceCurrentStep() {
    ChangeScope scope(*this);
    name("Next");
    if (!state_.currentID)
        return false;
    const Strand* found = findIn(ThreadKind::active, *state_.currentID);
    if (!found || found->nextSteps.empty())
        return false;
    Strand* strand = editIn(ThreadKind::active, *state_.currentID);
    strand->step = std::move(strand->nextSteps.front());
    strand->nextSteps.erase(strand->nextSteps.begin());
    markUnsaved();
    return true;
}

void ThreadStore::moveActive(const std::vector<std::size_t>& offsets, std::size_t destination) {
    ChangeScope scope(*this);
    name("Reorder");
    auto& ring = list(ThreadKind::active);
    destination = std::min(destination, ring.size());
    std::vector<bool> moving(ring.size(), false);
    for (auto offset : offsets) {
        if (offset < ring.size())
            moving[offset] = true;
    }
    std::vector<Strand> moved, before, after;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        auto& target = moving[i] ? moved : i < destination ? before : after;
        target.push_back(std::move(ring[i]));
    }
    ring.clear();
    for (auto* part : {&before, &moved, &after}) {
        for (auto& strand : *part)
            ring.push_back(std::move(strand));
    }
    reseatRing();
    markUnsaved();
}

}  // namespace cadro
