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

void ThreadStore::update(const Uuid& id, std::string title, std::string step) {
    ChangeScope scope(*this);
    name(titled("Edit", id));
    if (Strand* strand = editAnywhere(id)) {
        strand->title = std::move(title);
        strand->step = std::move(step);
    }
    markUnsaved();
}

void ThreadStore::setNextSteps(const Uuid& id, std::vector<std::string> steps) {
    ChangeScope scope(*this);
    name(titled("Edit", id));
    if (Strand* strand = editAnywhere(id))
        strand->nextSteps = std::move(steps);
    markUnsaved();
}

void ThreadStore::setPriority(const Uuid& id, std::optional<std::int64_t> priority) {
    ChangeScope scope(*this);
    name(titled("Edit", id));
    if (priority)
        priority = std::max<std::int64_t>(*priority, 1);
    if (auto kind = kindOf(id)) {
        Strand* strand = editIn(*kind, id);
        strand->priority = priority;
        // In the ring the change takes effect on the very next pick.
        if (kind == ThreadKind::active)
            strand->lastSlot.reset();
    }
    markUnsaved();
}

void ThreadStore::setColor(const Uuid& id, std::optional<std::string> colorHex) {
    ChangeScope scope(*this);
    name(titled("Edit", id));
    if (Strand* strand = editAnywhere(id))
        strand->colorHex = std::move(colorHex);
    markUnsaved();
}

void ThreadStore::remove(const Uuid& id) {
    ChangeScope scope(*this);
    name(titled("Delete", id));
    if (auto existing = strand(id); existing && existing->isHygiene)
        return;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        while (take(kind, id)) {
        }
    }
    afterLeavingRing(id);
}

void ThreadStore::setCurrentStep(std::string step) {
    ChangeScope scope(*this);
    name(state_.currentID ? titled("Change step of", *state_.currentID) : "Change step");
    if (!state_.currentID)
        return;
    Strand* strand = editIn(ThreadKind::active, *state_.currentID);
    if (!strand)
        return;
    strand->step = std::move(step);
    markUnsaved();
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
