// The cycle behind Next: which thread comes up, how threads join the ring and
// how a reordered ring is honoured.
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

#include <limits>

namespace cadro {
namespace {

// Values read from a file may be anything: slot arithmetic is done wide.
__extension__ using Wide = __int128;

constexpr const char* kHygieneTitle = "Cadro";
constexpr const char* kHygieneStep = "Maintenance";
constexpr const char* kHygieneOldStep = "Brain dump \xE2\x80\x94 review & clear";

std::int64_t clampToInt64(Wide value) {
    constexpr auto lo = std::numeric_limits<std::int64_t>::min();
    constexpr auto hi = std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(value < lo ? lo : value > hi ? hi : value);
}

// A thread without lastSlot counts as older than any number.
bool seenEarlier(const Strand& a, const Strand& b) {
    if (!a.lastSlot)
        return b.lastSlot.has_value();
    return b.lastSlot && *a.lastSlot < *b.lastSlot;
}

bool isDue(const Strand& strand, std::int64_t slot) {
    if (!strand.priority)
        return false;
    if (!strand.lastSlot)
        return true;
    return static_cast<Wide>(slot) - *strand.lastSlot >= static_cast<Wide>(*strand.priority) + 1;
}

}  // namespace

void ThreadStore::next() {
    ChangeScope scope(*this);
    name(state_.currentTodoID ? titled("Finished", *state_.currentTodoID) : "Next");
    if (!state_.sessionOpen)
        return;
    wakeDueSnoozes(false);
    if (state_.currentTodoID) {
        completeCurrentTodo();  // no new to-do is drawn on this press
        return;
    }
    if (drawChanceTodo())
        return;
    pickCurrent();
}

void ThreadStore::pickCurrent() {
    ChangeScope scope(*this);
    const auto& ring = state_.active;
    if (ring.empty()) {
        setCurrentID(std::nullopt);
        markUnsaved();
        return;
    }
    // Candidates: the due prioritized threads, else the unprioritized ones,
    // else everyone. Among them the longest-unseen wins; ties go to ring order.
    const Strand* due = nullptr;
    const Strand* plain = nullptr;
    const Strand* any = nullptr;
    auto consider = [](const Strand*& best, const Strand& strand) {
        if (!best || seenEarlier(strand, *best))
            best = &strand;
    };
    for (const auto& strand : ring) {
        if (isDue(strand, state_.slot)) {
            consider(due, strand);
        } else if (!strand.priority) {
            consider(plain, strand);
        }
        consider(any, strand);
    }
    const Strand* chosen = due ? due : plain ? plain : any;
    Strand* installed = editIn(ThreadKind::active, chosen->id);
    setCurrentID(installed->id);
    installed->lastSlot = state_.slot;
    state_.slot = clampToInt64(static_cast<Wide>(state_.slot) + 1);
    markUnsaved();
}

void ThreadStore::joinRing(Strand strand) {
    ChangeScope scope(*this);
    auto& ring = list(ThreadKind::active);
    if (!ring.empty() && ring.back().isHygiene) {
        ring.insert(ring.end() - 1, std::move(strand));
    } else {
        ring.push_back(std::move(strand));
    }
}

void ThreadStore::reseatRing() {
    ChangeScope scope(*this);
    auto& ring = list(ThreadKind::active);
    const std::size_t n = ring.size();
    if (n == 0)
        return;
    std::size_t start = 0;
    if (state_.currentID) {
        for (std::size_t i = 0; i < n; ++i) {
            if (ring[i].id == *state_.currentID)
                start = i + 1;
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        Wide value = static_cast<Wide>(state_.slot) - static_cast<Wide>(n) + static_cast<Wide>(k);
        ring[(start + k) % n].lastSlot = clampToInt64(value);
    }
}

void ThreadStore::ensureHygiene() {
    ChangeScope scope(*this);
    if (const Strand* existing = state_.hygiene()) {
        if (existing->step == kHygieneOldStep) {
            editAnywhere(existing->id)->step = kHygieneStep;
            markUnsaved();
        }
        return;
    }
    Strand hygiene;
    hygiene.id = Uuid::random();
    hygiene.title = kHygieneTitle;
    hygiene.step = kHygieneStep;
    hygiene.createdAt = deps_.clock->now();
    hygiene.isHygiene = true;
    list(ThreadKind::active).push_back(std::move(hygiene));
    markUnsaved();
}

}  // namespace cadro
