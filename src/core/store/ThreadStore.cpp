#include "core/store/ThreadStore.h"

#include "core/base/Calendar.h"
#include "core/store/ChangeScope.h"
#include "core/store/StoreMerge.h"

#include <algorithm>
#include <bit>

namespace cadro {
namespace fs = std::filesystem;

ThreadStore::ChangeScope::ChangeScope(ThreadStore& store) : store_(store) {
    // An operation starts from what is on disk: another program may have
    // edited the file since we last read or wrote it.
    if (store_.scopeDepth_++ == 0) {
        if (std::exchange(store_.diskIsState_, false))
            store_.diskState_ = store_.state_;
        store_.takeOutsideChange();
    }
}

ThreadStore::ChangeScope::~ChangeScope() {
    if (store_.scopeDepth_ > 1) {
        --store_.scopeDepth_;
        return;
    }
    // The operation is complete: one write, then one announcement.
    const bool defer = std::exchange(store_.deferThisWrite_, false);
    if (store_.unsaved_) {
        if (defer && store_.file_.saveProblem().empty())
            store_.pendingSoon_ = true;
        else
            store_.commit();
    }
    --store_.scopeDepth_;
    if (auto naming = std::exchange(store_.naming_, std::nullopt); naming && store_.recorder_)
        store_.recorder_(*naming, store_.undoBase_, store_.state_);
    // Announce in declaration order; observers may start new operations.
    while (unsigned mask = std::exchange(store_.changedMask_, 0)) {
        for (unsigned bit = 0; mask >> bit; ++bit) {
            if (mask & (1u << bit))
                store_.changes_.notify(static_cast<StoreProperty>(bit));
        }
    }
}

namespace {
fs::path storePath(const std::optional<fs::path>& directory) {
    return directory.value_or(defaultStoreDirectory()) / "threads.json";
}

template <typename Record>
void catchUp(std::vector<Record>& copy, const std::vector<Record>& state) {
    if (copy.size() != state.size()) {
        copy = state;
        return;
    }
    for (std::size_t i = 0; i < state.size(); ++i) {
        if (!(copy[i] == state[i]))
            copy[i] = state[i];
    }
}

// Makes `copy` equal to `state`, copying only the records that differ: in a
// big store comparing them costs far less than copying them all.
void catchUp(PersistedState& copy, const PersistedState& state) {
    // Every field by name: one added later fails to compile here until it is
    // handled below.
    [[maybe_unused]] const auto& [active, parked, snoozed, todos, slot, currentID, currentTodoID,
                                  interruptedTodoID, defaultSnoozeMinutes, todoChancePercent,
                                  brainDump, brainDumpFilePath, sessionOpen,
                                  pendingScheduledTodoIDs, requests, marks] = state;
    catchUp(copy.active, active);
    catchUp(copy.parked, parked);
    catchUp(copy.snoozed, snoozed);
    catchUp(copy.todos, todos);
    copy.slot = slot;
    copy.currentID = currentID;
    copy.currentTodoID = currentTodoID;
    copy.interruptedTodoID = interruptedTodoID;
    copy.defaultSnoozeMinutes = defaultSnoozeMinutes;
    copy.todoChancePercent = todoChancePercent;
    copy.brainDump = brainDump;
    copy.brainDumpFilePath = brainDumpFilePath;
    copy.sessionOpen = sessionOpen;
    copy.pendingScheduledTodoIDs = pendingScheduledTodoIDs;
    copy.requests = requests;
    [[maybe_unused]] const auto& [records, deleted, machines, session, dumpStamp, ringAt] = marks;
    if (copy.marks.records != records)
        copy.marks.records = records;
    copy.marks.deleted = deleted;
    copy.marks.machines = machines;
    copy.marks.session = session;
    copy.marks.brainDump = dumpStamp;
    copy.marks.ringAt = ringAt;
}
}  // namespace

ThreadStore::ThreadStore(std::optional<fs::path> directory, StoreDependencies dependencies)
    : deps_(dependencies),
      file_(storePath(directory), *deps_.clock, deps_.durability, deps_.writesFile) {
    if (!deps_.random) {
        ownRandom_ = std::make_unique<SeededRandom>();
        deps_.random = ownRandom_.get();
    }
    ChangeScope scope(*this);
    state_.sessionOpen = false;  // a store without a file starts with the day closed
    auto read = file_.read();
    const bool silentlyRepaired = read.state && adopt(std::move(*read.state));
    ensureHygiene();
    if (state_.sessionOpen && !state_.currentID && !state_.active.empty())
        pickCurrent();
    if (read.state) {
        // Repairs must not count as on disk: then the file's content is
        // decoded once more rather than copied before every load.
        if (unsaved_ || silentlyRepaired)
            diskState_ = file_.decodeAsRead();
        else
            diskIsState_ = true;
    }
    if (!deps_.savesLoadRepairs || file_.health() == StoreFile::Health::unreadable)
        unsaved_ = false;  // kept in memory; the first change writes them
}

ThreadStore::~ThreadStore() = default;

bool ThreadStore::adopt(PersistedState loaded) {
    if (loaded.brainDumpFilePath != state_.brainDumpFilePath)
        brainDumpFile_.forget();  // linked elsewhere by another program
    state_ = std::move(loaded);
    for (auto property :
         {StoreProperty::active, StoreProperty::parked, StoreProperty::snoozed,
          StoreProperty::currentID, StoreProperty::todos, StoreProperty::currentTodoID,
          StoreProperty::interruptedTodoID, StoreProperty::defaultSnoozeMinutes,
          StoreProperty::todoChancePercent, StoreProperty::brainDump,
          StoreProperty::brainDumpFilePath, StoreProperty::sessionOpen}) {
        changed(property);
    }
    repair();
    bool silent = false;
    if (auto linked = readBrainDumpFile(); linked && *linked != state_.brainDump) {
        state_.brainDump = std::move(*linked);
        silent = true;
    }
    if (state_.currentTodoID && !findTodo(*state_.currentTodoID)) {
        state_.currentTodoID.reset();
        silent = true;
    }
    if (state_.interruptedTodoID && !findTodo(*state_.interruptedTodoID)) {
        state_.interruptedTodoID.reset();
        silent = true;
    }
    if (std::erase_if(state_.pendingScheduledTodoIDs,
                      [this](const Uuid& id) { return !findTodo(id); }) > 0)
        silent = true;
    if (wakeDueSnoozes(false))
        silent = true;
    if (state_.sessionOpen &&
        (!state_.currentID || !findIn(ThreadKind::active, *state_.currentID))) {
        pickCurrent();
    }
    return silent;
}

namespace {
// Whether two records might share an id: their hashes go into an open-addressing
// table (quicker than sorting them or a std::unordered_set), and equal hashes
// are (nearly) only repeats.
bool mayRepeatAnId(const PersistedState& state) {
    const std::size_t count =
        state.active.size() + state.parked.size() + state.snoozed.size() + state.todos.size();
    const int bits = std::bit_width(2 * count + 1);
    std::vector<std::uint64_t> table(std::size_t{1} << bits);  // 0: empty
    const std::size_t mask = table.size() - 1;
    auto repeated = [&](const Uuid& id) {
        const std::uint64_t hash = std::hash<Uuid>{}(id) | 1;  // never 0
        // Places from the product's top bits: hand-written ids differ only in few bits.
        for (std::size_t i = (hash * 0x9E3779B97F4A7C15ULL) >> (64 - bits);; i = (i + 1) & mask) {
            if (table[i] == hash)
                return true;
            if (table[i] == 0) {
                table[i] = hash;
                return false;
            }
        }
    };
    for (const auto* strands : {&state.active, &state.parked, &state.snoozed}) {
        for (const auto& strand : *strands) {
            if (repeated(strand.id))
                return true;
        }
    }
    for (const auto& todo : state.todos) {
        if (repeated(todo.id))
            return true;
    }
    return false;
}
}  // namespace

void ThreadStore::repair() {
    // Two records with one id would make every operation on either act on
    // the first; both are kept, the later one under a fresh id.
    if (mayRepeatAnId(state_)) {
        std::set<Uuid> seen;
        auto freshIfSeen = [&](Uuid& id) {
            if (seen.insert(id).second)
                return;
            do {
                id = Uuid::random();
            } while (!seen.insert(id).second);
            markUnsaved();
        };
        for (auto* strands : {&state_.active, &state_.parked, &state_.snoozed}) {
            for (auto& strand : *strands)
                freshIfSeen(strand.id);
        }
        for (auto& todo : state_.todos)
            freshIfSeen(todo.id);
    }

    auto clamped = std::clamp<std::int64_t>(state_.todoChancePercent, 0, 100);
    auto atLeastOneMinute = std::max<std::int64_t>(state_.defaultSnoozeMinutes, 1);
    if (clamped != state_.todoChancePercent || atLeastOneMinute != state_.defaultSnoozeMinutes) {
        state_.todoChancePercent = clamped;
        state_.defaultSnoozeMinutes = atLeastOneMinute;
        markUnsaved();
    }
}

ThreadStore::DiskChange ThreadStore::reloadIfChangedOnDisk() {
    ChangeScope scope(*this);  // opening it takes the change
    return lastDiskChange_;
}

void ThreadStore::takeOutsideChange() {
    StoreFile::Outside outside = file_.checkOutside(unsaved_ ? &state_ : nullptr);
    lastDiskChange_ = outside.change;
    switch (outside.change) {
        case DiskChange::reloaded: {
            std::optional<PersistedState> before;
            if (recorder_)
                before = state_;
            diskState_ = *outside.state;
            adopt(std::move(*outside.state));
            ensureHygiene();
            unsaved_ = false;  // repairs of the new version go out with the next change
            pendingSoon_ = false;
            if (before)
                recorder_("outside change", *before, state_);
            break;
        }
        case DiskChange::damaged:
            // The state in memory goes back over a damaged file; an unreadable
            // one is left alone.
            if (file_.health() == StoreFile::Health::damaged)
                markUnsaved();
            break;
        case DiskChange::none:
        case DiskChange::keptAside:
            break;
    }
}

void ThreadStore::commit() {
    pendingSoon_ = false;
    // The linked brain-dump file first: at start-up its text wins over the
    // store file's, so a crash between the two writes keeps the typing.
    flushBrainDumpFile();
    // Each change is stamped against what the file held, so a merge with a
    // copy from another machine can tell whose change is newer.
    stampChanges(diskState_, state_, deps_.clock->now(), deps_.machine);
    if (file_.save(state_)) {
        unsaved_ = false;
        catchUp(diskState_, state_);
    }
}

void ThreadStore::deferWrite(Save when) {
    if (when == Save::soon && scopeDepth_ == 1)
        deferThisWrite_ = true;
}

RememberedReply ThreadStore::applyOnce(const std::string& id,
                                       const std::function<RememberedReply()>& apply) {
    // A few dozen answers cover every sender that is still waiting.
    constexpr std::size_t kRemembered = 32;
    ChangeScope transaction(*this);  // reads what other writers did first
    for (const auto& seen : state_.requests) {
        if (seen.id == id)
            return seen;
    }
    RememberedReply reply = apply();
    reply.id = id;
    if (unsaved_ && !id.empty()) {
        state_.requests.push_back(reply);
        if (state_.requests.size() > kRemembered)
            state_.requests.erase(state_.requests.begin(),
                                  state_.requests.end() - static_cast<std::ptrdiff_t>(kRemembered));
    }
    return reply;
}

bool ThreadStore::save() {
    if (unsaved_) {
        ChangeScope transaction(*this);  // writes when it closes
    }
    return !unsaved_;
}

void ThreadStore::changed(StoreProperty property) {
    changedMask_ |= 1u << static_cast<unsigned>(property);
}

std::vector<Strand>& ThreadStore::list(ThreadKind kind) {
    switch (kind) {
        case ThreadKind::parked:
            changed(StoreProperty::parked);
            return state_.parked;
        case ThreadKind::snoozed:
            changed(StoreProperty::snoozed);
            return state_.snoozed;
        case ThreadKind::active:
            break;
    }
    changed(StoreProperty::active);
    return state_.active;
}

void ThreadStore::setCurrentID(std::optional<Uuid> id) {
    if (state_.currentID == id)
        return;
    state_.currentID = id;
    changed(StoreProperty::currentID);
}

const Strand* ThreadStore::findIn(ThreadKind kind, const Uuid& id) const {
    for (const auto& strand : state_.threads(kind)) {
        if (strand.id == id)
            return &strand;
    }
    return nullptr;
}

Strand* ThreadStore::editIn(ThreadKind kind, const Uuid& id) {
    if (!findIn(kind, id))
        return nullptr;
    for (auto& strand : list(kind)) {
        if (strand.id == id)
            return &strand;
    }
    return nullptr;
}

std::optional<Strand> ThreadStore::take(ThreadKind kind, const Uuid& id) {
    if (!findIn(kind, id))
        return std::nullopt;
    auto& strands = list(kind);
    auto it = std::find_if(strands.begin(), strands.end(), [&](auto& s) { return s.id == id; });
    Strand taken = std::move(*it);
    strands.erase(it);
    return taken;
}

Strand* ThreadStore::editAnywhere(const Uuid& id) {
    auto kind = state_.kindOf(id);
    return kind ? editIn(*kind, id) : nullptr;
}

const Todo* ThreadStore::findTodo(const Uuid& id) const {
    for (const auto& todo : state_.todos) {
        if (todo.id == id)
            return &todo;
    }
    return nullptr;
}

// --- Undo ---------------------------------------------------------------------

void ThreadStore::name(std::string label) {
    if (recorder_ && !naming_ && scopeDepth_ > 0) {
        catchUp(undoBase_, state_);
        naming_ = std::move(label);
    }
}

std::string ThreadStore::titled(const char* verb, const Uuid& id) const {
    const Todo* todo = findTodo(id);
    std::optional<Strand> thread = todo ? std::nullopt : state_.strand(id);
    const std::string title = todo ? todo->title : thread ? thread->title : std::string();
    return title.empty() ? std::string(verb) : std::string(verb) + " \"" + title + "\"";
}

void ThreadStore::restore(const std::function<void(PersistedState&)>& edit) {
    ChangeScope scope(*this);
    edit(state_);
    for (unsigned bit = 0; bit <= static_cast<unsigned>(StoreProperty::sessionOpen); ++bit)
        changed(static_cast<StoreProperty>(bit));
    if (state_.currentTodoID && !findTodo(*state_.currentTodoID))
        state_.currentTodoID.reset();
    if (state_.interruptedTodoID && !findTodo(*state_.interruptedTodoID))
        state_.interruptedTodoID.reset();
    std::erase_if(state_.pendingScheduledTodoIDs, [this](const Uuid& id) { return !findTodo(id); });
    ensureHygiene();
    if (state_.sessionOpen &&
        (!state_.currentID || !findIn(ThreadKind::active, *state_.currentID))) {
        pickCurrent();
    }
    markUnsaved();
}

// --- Preferences --------------------------------------------------------------

void ThreadStore::setPreferences(const Preferences& preferences) {
    ChangeScope scope(*this);
    name(preferences.defaultSnoozeMinutes ? "Change default snooze" : "Change to-do chance");
    if (preferences.defaultSnoozeMinutes) {
        state_.defaultSnoozeMinutes = std::max<std::int64_t>(*preferences.defaultSnoozeMinutes, 1);
        changed(StoreProperty::defaultSnoozeMinutes);
    }
    if (preferences.todoChancePercent) {
        state_.todoChancePercent = std::clamp<std::int64_t>(*preferences.todoChancePercent, 0, 100);
        changed(StoreProperty::todoChancePercent);
    }
    markUnsaved();
}

}  // namespace cadro
