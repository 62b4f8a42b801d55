#include "core/store/StoreMerge.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace cadro {
namespace {

struct Placed {
    const Strand* strand;
    ThreadKind kind;
};

std::unordered_map<Uuid, Placed> threadsOf(const PersistedState& state) {
    std::unordered_map<Uuid, Placed> out;
    out.reserve(state.active.size() + state.parked.size() + state.snoozed.size());
    for (const auto& s : state.active)
        out.emplace(s.id, Placed{&s, ThreadKind::active});
    for (const auto& s : state.parked)
        out.emplace(s.id, Placed{&s, ThreadKind::parked});
    for (const auto& s : state.snoozed)
        out.emplace(s.id, Placed{&s, ThreadKind::snoozed});
    return out;
}

std::unordered_map<Uuid, const Todo*> todosOf(const PersistedState& state) {
    std::unordered_map<Uuid, const Todo*> out;
    out.reserve(state.todos.size());
    for (const auto& t : state.todos)
        out.emplace(t.id, &t);
    return out;
}

// The slot a thread last came up in belongs to the day's state, not to the
// thread's content: Next does not count as editing the thread.
bool sameContent(const Strand& a, const Strand& b) {
    return a.id == b.id && a.title == b.title && a.step == b.step && a.nextSteps == b.nextSteps &&
           a.colorHex == b.colorHex && a.priority == b.priority && a.focusTarget == b.focusTarget &&
           a.createdAt == b.createdAt && a.snoozedUntil == b.snoozedUntil &&
           a.isHygiene == b.isHygiene;
}

bool sameContent(const Placed& a, const Placed& b) {
    return a.kind == b.kind && sameContent(*a.strand, *b.strand);
}

bool sameContent(const Todo* a, const Todo* b) {
    return *a == *b;
}

// Strictly later; equal times are told apart by machine name so that every
// machine decides alike.
bool later(const std::optional<ChangeStamp>& a, const std::optional<ChangeStamp>& b) {
    if (!a)
        return false;
    if (!b)
        return true;
    if (a->at != b->at)
        return a->at > b->at;
    return a->on > b->on;
}

const Deletion* deletionOf(const ChangeMarks& marks, const Uuid& id) {
    for (const auto& gone : marks.deleted) {
        if (gone.id == id)
            return &gone;
    }
    return nullptr;
}

std::string quoted(const std::string& text) {
    return "\u201c" + text + "\u201d";
}

std::string describe(const Strand& s) {
    std::string out = quoted(s.title);
    if (!s.step.empty())
        out += ", step " + quoted(s.step);
    if (!s.nextSteps.empty()) {
        out += ", then";
        for (std::size_t i = 0; i < s.nextSteps.size(); ++i)
            out += (i ? "; " : " ") + s.nextSteps[i];
    }
    return out;
}

std::string describe(const Todo* t) {
    return "to-do " + quoted(t->title);
}

bool textDiffers(const Placed& a, const Placed& b) {
    return a.strand->title != b.strand->title || a.strand->step != b.strand->step ||
           a.strand->nextSteps != b.strand->nextSteps;
}
bool textDiffers(const Todo* a, const Todo* b) {
    return a->title != b->title;
}
std::string describe(const Placed& p) {
    return describe(*p.strand);
}

// Decides, for every id on either side, which version is kept.
template <typename Version>
class RecordMerge {
  public:
    RecordMerge(const ChangeMarks& ours, const ChangeMarks& theirs, MergeResult& result)
        : ours_(ours), theirs_(theirs), result_(result) {}

    std::unordered_map<Uuid, Version> kept;

    void run(const std::unordered_map<Uuid, Version>& mine,
             const std::unordered_map<Uuid, Version>& other,
             const std::optional<Uuid>& skipTheirs) {
        // Notes come out in id order, the same on every machine.
        std::vector<Uuid> ids;
        ids.reserve(mine.size() + other.size());
        for (const auto& [id, _] : mine)
            ids.push_back(id);
        for (const auto& [id, _] : other) {
            if (!mine.count(id))
                ids.push_back(id);
        }
        std::sort(ids.begin(), ids.end());
        for (const auto& id : ids) {
            auto x = mine.find(id);
            auto y = other.find(id);
            if (y == other.end())
                alone(id, x->second, ours_.of(id), theirs_);
            else if (x == mine.end()) {
                if (id != skipTheirs)
                    alone(id, y->second, theirs_.of(id), ours_);
            } else
                both(id, x->second, y->second);
        }
    }

  private:
    void keep(const Uuid& id, const Version& v, const std::optional<ChangeStamp>& stamp) {
        kept.emplace(id, v);
        if (stamp)
            result_.state.marks.records[id] = *stamp;
    }

    // A version the other side does not hold.
    void alone(const Uuid& id, const Version& v, const std::optional<ChangeStamp>& stamp,
               const ChangeMarks& other) {
        if (const Deletion* gone = deletionOf(other, id)) {
            // The later of the change and the deletion wins.
            if (stamp && stamp->at > gone->stamp.at)
                return keep(id, v, stamp);
            if (!other.knows(stamp))
                note("Removed on one machine while changed on another: " + describe(v));
            return;
        }
        // Known there and not there: removed there (its marker has expired).
        // One never stamped (written by an older release) is kept: only a
        // marker says it was removed.
        if (!stamp || !other.knows(stamp))
            keep(id, v, stamp);
    }

    void both(const Uuid& id, const Version& x, const Version& y) {
        auto sx = ours_.of(id), sy = theirs_.of(id);
        if (sameContent(x, y))
            return keep(id, x, later(sy, sx) ? sy : sx);
        // A version never stamped is older than any copy.
        const bool weKnow = ours_.knows(sy), theyKnow = theirs_.knows(sx);
        if (weKnow != theyKnow)
            return weKnow ? keep(id, x, sx) : keep(id, y, sy);
        // Changed on both sides (or neither says when): the later change
        // wins, the other is noted.
        const bool theirsWins = later(sy, sx);
        const Version& winner = theirsWins ? y : x;
        const Version& loser = theirsWins ? x : y;
        if (textDiffers(winner, loser))
            note("Changed on two machines at once; this version gave way: " + describe(loser));
        keep(id, winner, theirsWins ? sy : sx);
    }

    void note(std::string text) { result_.notes.push_back(std::move(text)); }

    const ChangeMarks& ours_;
    const ChangeMarks& theirs_;
    MergeResult& result_;
};

// `base` in its order, then each id of `extra` not yet placed right after
// its nearest placed predecessor in `extra` (at the front when it has none).
template <typename Keep>
std::vector<Uuid> weave(const std::vector<Uuid>& base, const std::vector<Uuid>& extra, Keep keep) {
    std::vector<Uuid> out;
    std::unordered_set<Uuid> placed;
    for (const auto& id : base) {
        if (keep(id) && placed.insert(id).second)
            out.push_back(id);
    }
    std::optional<Uuid> previous;
    for (const auto& id : extra) {
        if (!keep(id))
            continue;
        if (placed.insert(id).second) {
            auto at = out.begin();
            if (previous)
                at = std::find(out.begin(), out.end(), *previous) + 1;
            out.insert(at, id);
        }
        previous = id;
    }
    return out;
}

template <typename Record>
std::vector<Uuid> idsOf(const std::vector<Record>& records) {
    std::vector<Uuid> out;
    out.reserve(records.size());
    for (const auto& r : records)
        out.push_back(r.id);
    return out;
}

std::optional<Uuid> hygieneOf(const PersistedState& state) {
    for (const auto* list : {&state.active, &state.parked, &state.snoozed}) {
        for (const auto& s : *list) {
            if (s.isHygiene)
                return s.id;
        }
    }
    return std::nullopt;
}

Date latestKnown(const ChangeMarks& marks) {
    Date latest;
    for (const auto& [_, at] : marks.machines)
        latest = std::max(latest, at);
    return latest;
}

std::string mergeBrainDump(const PersistedState& ours, const PersistedState& theirs) {
    const auto &sx = ours.marks.brainDump, &sy = theirs.marks.brainDump;
    if (ours.brainDump == theirs.brainDump)
        return ours.brainDump;
    const bool weKnow = ours.marks.knows(sy), theyKnow = theirs.marks.knows(sx);
    if (weKnow != theyKnow)
        return weKnow ? ours.brainDump : theirs.brainDump;
    // Written on both sides: both texts stay, the later first.
    const bool theirsFirst = later(sy, sx);
    const std::string& first = theirsFirst ? theirs.brainDump : ours.brainDump;
    const std::string& second = theirsFirst ? ours.brainDump : theirs.brainDump;
    return first.empty() ? second : second.empty() ? first : first + "\n\n" + second;
}

}  // namespace

MergeResult mergeStores(const PersistedState& ours, const PersistedState& theirs) {
    MergeResult result;
    PersistedState& out = result.state;
    out = ours;  // preferences, the linked file and remembered requests
    out.marks.records.clear();

    // Each machine made its own hygiene thread when it first started: ours stays.
    auto ourHygiene = hygieneOf(ours);
    auto theirHygiene = hygieneOf(theirs);
    std::optional<Uuid> skip;
    if (ourHygiene && theirHygiene && *ourHygiene != *theirHygiene)
        skip = theirHygiene;

    const auto mine = threadsOf(ours), other = threadsOf(theirs);
    RecordMerge<Placed> threads(ours.marks, theirs.marks, result);
    threads.run(mine, other, skip);
    RecordMerge<const Todo*> todos(ours.marks, theirs.marks, result);
    todos.run(todosOf(ours), todosOf(theirs), std::nullopt);

    // The day's state comes whole from the side that changed it last.
    const bool theirDay = later(theirs.marks.session, ours.marks.session);
    const PersistedState& day = theirDay ? theirs : ours;
    const auto& dayThreads = theirDay ? other : mine;
    out.marks.session = day.marks.session;
    out.slot = day.slot;
    out.sessionOpen = day.sessionOpen;
    out.currentID = day.currentID;
    out.currentTodoID = day.currentTodoID;
    out.interruptedTodoID = day.interruptedTodoID;
    out.pendingScheduledTodoIDs = day.pendingScheduledTodoIDs;

    auto kindIs = [&](ThreadKind kind) {
        return [&threads, kind](const Uuid& id) {
            auto found = threads.kept.find(id);
            return found != threads.kept.end() && found->second.kind == kind;
        };
    };
    auto build = [&](const std::vector<Uuid>& ids) {
        std::vector<Strand> list;
        list.reserve(ids.size());
        for (const auto& id : ids) {
            Strand s = *threads.kept.at(id).strand;
            if (auto seen = dayThreads.find(id); seen != dayThreads.end())
                s.lastSlot = seen->second.strand->lastSlot;
            list.push_back(std::move(s));
        }
        return list;
    };
    // The ring keeps the order last chosen; threads only the other side has
    // join it after the thread they follow there.
    const bool theirRing = theirs.marks.ringAt > ours.marks.ringAt;
    const auto& ringBase = theirRing ? theirs.active : ours.active;
    const auto& ringExtra = theirRing ? ours.active : theirs.active;
    auto ring = weave(idsOf(ringBase), idsOf(ringExtra), kindIs(ThreadKind::active));
    if (!ringBase.empty() && ringBase.back().isHygiene) {
        auto hygiene = std::find(ring.begin(), ring.end(), ringBase.back().id);
        if (hygiene != ring.end())
            std::rotate(hygiene, hygiene + 1, ring.end());
    }
    out.marks.ringAt = std::max(ours.marks.ringAt, theirs.marks.ringAt);
    out.active = build(ring);
    out.parked = build(weave(idsOf(ours.parked), idsOf(theirs.parked), kindIs(ThreadKind::parked)));
    out.snoozed =
        build(weave(idsOf(ours.snoozed), idsOf(theirs.snoozed), kindIs(ThreadKind::snoozed)));

    auto todoKept = [&](const Uuid& id) { return todos.kept.count(id) > 0; };
    out.todos.clear();
    for (const auto& id : weave(idsOf(ours.todos), idsOf(theirs.todos), todoKept))
        out.todos.push_back(*todos.kept.at(id));

    // Ids of the day's state that no longer name anything are dropped.
    if (out.currentID && !kindIs(ThreadKind::active)(*out.currentID))
        out.currentID.reset();
    if (out.currentTodoID && !todoKept(*out.currentTodoID))
        out.currentTodoID.reset();
    if (out.interruptedTodoID && !todoKept(*out.interruptedTodoID))
        out.interruptedTodoID.reset();
    std::erase_if(out.pendingScheduledTodoIDs, [&](const Uuid& id) { return !todoKept(id); });

    // Deletions of both sides, except of what survived.
    out.marks.deleted.clear();
    for (const auto* side : {&ours.marks.deleted, &theirs.marks.deleted}) {
        for (const auto& gone : *side) {
            if (threads.kept.count(gone.id) || todoKept(gone.id))
                continue;
            auto same = std::find_if(out.marks.deleted.begin(), out.marks.deleted.end(),
                                     [&](const Deletion& d) { return d.id == gone.id; });
            if (same == out.marks.deleted.end())
                out.marks.deleted.push_back(gone);
            else if (gone.stamp.at > same->stamp.at)
                *same = gone;
        }
    }
    for (const auto& [machine, at] : theirs.marks.machines) {
        Date& mine = out.marks.machines[machine];
        mine = std::max(mine, at);
    }
    for (const auto& reply : theirs.requests) {
        auto known = std::find_if(out.requests.begin(), out.requests.end(),
                                  [&](const RememberedReply& r) { return r.id == reply.id; });
        if (known == out.requests.end())
            out.requests.push_back(reply);
    }

    out.brainDump = mergeBrainDump(ours, theirs);
    if (!result.notes.empty()) {
        std::string text;
        for (const auto& line : result.notes)
            text += "\n" + line;
        out.brainDump += out.brainDump.empty() ? text.substr(1) : "\n" + text;
    }
    const auto &sx = ours.marks.brainDump, &sy = theirs.marks.brainDump;
    if (out.brainDump == theirs.brainDump && (out.brainDump != ours.brainDump || later(sy, sx))) {
        out.marks.brainDump = sy;
    } else if (out.brainDump == ours.brainDump) {
        out.marks.brainDump = sx;
    } else {
        // Text the merge wrote itself is dated by what it was made from, so
        // every machine writes the same, and is newer than both texts.
        Date at = latestKnown(out.marks);
        out.marks.brainDump = ChangeStamp{at, kMergeMachine};
        Date& known = out.marks.machines[kMergeMachine];
        known = std::max(known, at);
    }
    return result;
}

namespace {

// The bounds of the records of two lists that do not stand at the same place
// in both: [from, beforeEnd) of the one, [from, afterEnd) of the other.
struct Unpaired {
    std::size_t from, beforeEnd, afterEnd;
};

// Calls `paired(was, is)` for each record whose id stands at the same place
// in both lists, counted from the start or from the end. Most changes touch
// a few records and leave the lists lined up, so this spares a lookup by id
// for nearly all of them.
template <typename Record, typename Paired>
Unpaired pairUp(const std::vector<Record>& before, const std::vector<Record>& after, bool byPlace,
                Paired paired) {
    std::size_t b = before.size(), a = after.size(), head = 0;
    if (!byPlace)
        return {0, b, a};
    for (; head < b && head < a && before[head].id == after[head].id; ++head)
        paired(before[head], after[head]);
    for (; b > head && a > head && before[b - 1].id == after[a - 1].id; --b, --a)
        paired(before[b - 1], after[a - 1]);
    return {head, b, a};
}

// Those of `ids` that name a record of `lists`.
template <typename... Lists>
std::unordered_set<Uuid> presentIn(const std::vector<Uuid>& ids, const Lists&... lists) {
    std::unordered_set<Uuid> out;
    if (ids.empty())
        return out;
    const std::unordered_set<Uuid> wanted(ids.begin(), ids.end());
    auto scan = [&](const auto& list) {
        for (const auto& r : list) {
            if (wanted.count(r.id))
                out.insert(r.id);
        }
    };
    (scan(lists), ...);
    return out;
}

void stampAll(const PersistedState& before, PersistedState& after, Date now,
              const std::string& machine, bool byPlace) {
    ChangeMarks& marks = after.marks;
    if (auto mine = marks.machines.find(machine); mine != marks.machines.end())
        now = std::max(now, mine->second + 0.001);  // a clock set back keeps its order
    const ChangeStamp stamp{now, machine};
    bool stamped = false;
    auto mark = [&](std::optional<ChangeStamp>& slot, const std::optional<ChangeStamp>& was) {
        if (slot != was)
            return;  // brought in by a merge: it keeps its own
        slot = stamp;
        stamped = true;
    };
    auto record = [&](const Uuid& id) {
        std::optional<ChangeStamp> current = marks.of(id);
        mark(current, before.marks.of(id));
        if (current)
            marks.records[id] = *current;
    };
    auto removed = [&](const Uuid& id) {
        marks.records.erase(id);
        if (!deletionOf(marks, id)) {
            marks.deleted.push_back({id, stamp});
            stamped = true;
        }
    };
    // Records of `before` in `was` that `after` does not hold anywhere, in
    // their order.
    auto gone = [&](const auto& was, const auto& is, const auto&... everyAfter) {
        std::vector<Uuid> candidates;
        for (const auto& [list, range] : was) {
            for (std::size_t i = range.from; i < range.beforeEnd; ++i) {
                if (!is.count((*list)[i].id))
                    candidates.push_back((*list)[i].id);
            }
        }
        // A paired record may share its id with one of these (a file that
        // held an id twice).
        const auto alive = presentIn(candidates, everyAfter...);
        std::erase_if(candidates, [&](const Uuid& id) { return alive.count(id) > 0; });
        return candidates;
    };

    bool slotsMoved = false;
    auto compareThreads = [&](const Strand& was, const Strand& is) {
        if (!sameContent(was, is))
            record(is.id);
        else if (was.lastSlot != is.lastSlot)
            slotsMoved = true;
    };
    std::unordered_map<Uuid, Placed> was, is;
    std::vector<std::pair<const std::vector<Strand>*, Unpaired>> wasRanges;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        const auto& from = before.threads(kind);
        const auto& to = after.threads(kind);
        const Unpaired rest = pairUp(from, to, byPlace, compareThreads);
        for (std::size_t i = rest.from; i < rest.beforeEnd; ++i)
            was.emplace(from[i].id, Placed{&from[i], kind});
        for (std::size_t i = rest.from; i < rest.afterEnd; ++i)
            is.emplace(to[i].id, Placed{&to[i], kind});
        wasRanges.emplace_back(&from, rest);
    }
    for (const auto& [id, placed] : is) {
        auto old = was.find(id);
        if (old == was.end() || !sameContent(old->second, placed))
            record(id);
        else if (old->second.strand->lastSlot != placed.strand->lastSlot)
            slotsMoved = true;
    }
    for (const auto& id : gone(wasRanges, is, after.active, after.parked, after.snoozed))
        removed(id);

    std::unordered_map<Uuid, const Todo*> wasTodos, isTodos;
    const Unpaired rest =
        pairUp(before.todos, after.todos, byPlace, [&](const Todo& old, const Todo& todo) {
            if (!(old == todo))
                record(todo.id);
        });
    for (std::size_t i = rest.from; i < rest.beforeEnd; ++i)
        wasTodos.emplace(before.todos[i].id, &before.todos[i]);
    for (std::size_t i = rest.from; i < rest.afterEnd; ++i)
        isTodos.emplace(after.todos[i].id, &after.todos[i]);
    for (const auto& [id, todo] : isTodos) {
        auto old = wasTodos.find(id);
        if (old == wasTodos.end() || !(*old->second == *todo))
            record(id);
    }
    const std::pair<const std::vector<Todo>*, Unpaired> todoRange{&before.todos, rest};
    for (const auto& id : gone(std::array{todoRange}, isTodos, after.todos))
        removed(id);

    // A record back under an id that was deleted is alive again.
    std::vector<Uuid> deleted;
    for (const auto& d : marks.deleted)
        deleted.push_back(d.id);
    const auto alive = presentIn(deleted, after.active, after.parked, after.snoozed, after.todos);
    std::erase_if(marks.deleted, [&](const Deletion& d) {
        return alive.count(d.id) || d.stamp.at < now - kDeletionMemorySeconds;
    });

    if (slotsMoved || before.sessionOpen != after.sessionOpen || before.slot != after.slot ||
        before.currentID != after.currentID || before.currentTodoID != after.currentTodoID ||
        before.interruptedTodoID != after.interruptedTodoID)
        mark(marks.session, before.marks.session);
    if (before.brainDump != after.brainDump)
        mark(marks.brainDump, before.marks.brainDump);
    const bool sameRing = std::equal(before.active.begin(), before.active.end(),
                                     after.active.begin(), after.active.end(),
                                     [](const Strand& x, const Strand& y) { return x.id == y.id; });
    if (!sameRing && marks.ringAt == before.marks.ringAt) {
        marks.ringAt = now;
        stamped = true;
    }
    if (stamped)
        marks.machines[machine] = now;
}

}  // namespace

void stampChanges(const PersistedState& before, PersistedState& after, Date now,
                  const std::string& machine) {
    stampAll(before, after, now, machine, true);
}

void stampChangesById(const PersistedState& before, PersistedState& after, Date now,
                      const std::string& machine) {
    stampAll(before, after, now, machine, false);
}

}  // namespace cadro
