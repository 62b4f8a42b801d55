#include "core/store/ThreadStore.h"

#include "core/base/Calendar.h"
#include "core/base/XdgFolders.h"
#include "core/store/ChangeScope.h"
#include "core/store/DataLocation.h"
#include "core/store/StoreMerge.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace cadro {
namespace fs = std::filesystem;

ThreadStore::ChangeScope::ChangeScope(ThreadStore& store) : store_(store) {
    // An operation starts from what is on disk: another program may have
    // edited the file since we last read or wrote it.
    if (store_.scopeDepth_++ == 0) {
        const bool look = store_.diskStamp_ || store_.fileUnreadable_;
        store_.lastDiskChange_ = look ? store_.takeOutsideChange() : DiskChange::none;
    }
}

ThreadStore::ChangeScope::~ChangeScope() {
    if (store_.scopeDepth_ > 1) {
        --store_.scopeDepth_;
        return;
    }
    // The operation is complete: one write, then one announcement.
    if (store_.unsaved_)
        store_.commit();
    --store_.scopeDepth_;
    // Announce in declaration order; observers may start new operations.
    while (unsigned mask = std::exchange(store_.changedMask_, 0)) {
        for (unsigned bit = 0; mask >> bit; ++bit) {
            if (mask & (1u << bit))
                store_.changes_.notify(static_cast<StoreProperty>(bit));
        }
    }
}

ThreadStore::ThreadStore(std::optional<fs::path> directory, StoreDependencies dependencies)
    : deps_(dependencies) {
    if (!deps_.random) {
        ownRandom_ = std::make_unique<SeededRandom>();
        deps_.random = ownRandom_.get();
    }
    ChangeScope scope(*this);
    state_.sessionOpen = false;  // a store without a file starts with the day closed
    fs::path folder = directory.value_or(defaultDirectory());
    if (deps_.writesFile)
        createPrivateDirectories(folder);  // failure: we go on in memory
    filePath_ = folder / "threads.json";
    if (deps_.writesFile)
        removeLeftoverTemporaries(filePath_);
    load();
    ensureHygiene();
    if (state_.sessionOpen && !state_.currentID && !state_.active.empty())
        pickCurrent();
    if (!deps_.savesLoadRepairs || fileUnreadable_)
        unsaved_ = false;  // kept in memory; the first change writes them
}

ThreadStore::~ThreadStore() = default;

fs::path ThreadStore::defaultDirectory() {
    return chosenDataFolder().value_or(machineFolder());
}

// Another program rewriting the file in place leaves it half written for a
// moment: a file that does not decode is read again while it keeps changing,
// so that moment is not taken for damage. Throws json::DecodeError.
PersistedState ThreadStore::decodeSettled(std::string& bytes) const {
    for (int attempt = 0;; ++attempt) {
        try {
            return decodeStoreFile(bytes, deps_.clock->now());
        } catch (const json::DecodeError&) {
            const auto stamp = stampOf(filePath_);
            if (attempt == 10)
                throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::string again;
            if (readWholeFile(filePath_, again) || (again == bytes && stampOf(filePath_) == stamp))
                throw;  // settled (or gone): it is what it is
            bytes = std::move(again);
        }
    }
}

void ThreadStore::load() {
    std::string bytes;
    if (std::error_code ec = readWholeFile(filePath_, bytes)) {
        if (ec != std::errc::no_such_file_or_directory && !noteUnreadable(ec)) {
            loadProblem_ = "cannot read " + filePath_.string() + ": " + ec.message();
            damagedFileToKeep_ = true;  // a folder or a device in its place
        }
        return;
    }
    try {
        PersistedState loaded = decodeSettled(bytes);
        rememberDiskState(std::move(bytes));
        diskState_ = loaded;
        adopt(std::move(loaded));
    } catch (const json::DecodeError& error) {
        loadProblem_ = filePath_.string() + " is damaged (" + error.what() + ")";
        damagedFileToKeep_ = true;
    }
}

bool ThreadStore::noteUnreadable(std::error_code error) {
    if (error == std::errc::invalid_argument || error == std::errc::no_such_file_or_directory)
        return false;  // not a regular file, or gone: not this case
    loadProblem_ = "cannot read " + filePath_.string() + ": " + error.message();
    fileUnreadable_ = true;
    return true;
}

ThreadStore::FileHealth ThreadStore::fileHealth() const {
    if (fileUnreadable_)
        return FileHealth::unreadable;
    return damagedFileToKeep_ ? FileHealth::damaged : FileHealth::good;
}

void ThreadStore::adopt(PersistedState loaded) {
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
    if (auto linked = readBrainDumpFile())
        state_.brainDump = std::move(*linked);
    if (state_.currentTodoID && !findTodo(*state_.currentTodoID))
        state_.currentTodoID.reset();
    if (state_.interruptedTodoID && !findTodo(*state_.interruptedTodoID)) {
        state_.interruptedTodoID.reset();
    }
    std::erase_if(state_.pendingScheduledTodoIDs, [this](const Uuid& id) { return !findTodo(id); });
    wakeDueSnoozes(false);
    if (state_.sessionOpen &&
        (!state_.currentID || !findIn(ThreadKind::active, *state_.currentID))) {
        pickCurrent();
    }
}

void ThreadStore::repair() {
    // Two records with one id would make every operation on either act on
    // the first; both are kept, the later one under a fresh id.
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

ThreadStore::DiskChange ThreadStore::takeOutsideChange() {
    auto stamp = stampOf(filePath_);
    if (!stamp || stamp == diskStamp_)
        return DiskChange::none;  // a removed file is written again by the next save
    std::string bytes;
    if (std::error_code ec = readWholeFile(filePath_, bytes)) {
        if (noteUnreadable(ec))
            return DiskChange::damaged;
        diskStamp_ = stamp;
        return DiskChange::none;
    }
    if (std::exchange(fileUnreadable_, false) && unsaved_) {
        // Readable again: the file holds the user's data and wins; what was
        // changed meanwhile on top of nothing is kept beside it.
        std::string aside = asideName("conflict");
        if (!writeFileAtomically(aside, encodeStoreFile(state_), deps_.durability))
            keptAside_ = aside;
        unsaved_ = false;
    }
    if (diskStamp_ && bytes == diskBytes_) {
        diskStamp_ = stamp;
        return DiskChange::none;
    }
    if (unsaved_) {
        // Our own change could not be written yet; it stays, and the other
        // version is kept where the user can find it.
        if (keepFileAside("conflict"))
            rememberDiskState(std::move(bytes));
        return DiskChange::keptAside;
    }
    try {
        PersistedState loaded = decodeSettled(bytes);
        rememberDiskState(std::move(bytes));
        diskState_ = loaded;
        adopt(std::move(loaded));
        ensureHygiene();
        unsaved_ = false;  // repairs of the new version go out with the next change
        return DiskChange::reloaded;
    } catch (const json::DecodeError& error) {
        loadProblem_ =
            filePath_.string() + " was changed into something unreadable (" + error.what() + ")";
        damagedFileToKeep_ = true;
        markUnsaved();
        return DiskChange::damaged;
    }
}

void ThreadStore::rememberDiskState(std::string bytes) {
    diskStamp_ = stampOf(filePath_);
    diskBytes_ = std::move(bytes);
}

std::string ThreadStore::asideName(const char* label) const {
    return filePath_.string() + "." + label + "-" +
           formatUtcTimestamp(SystemClock::instance().now(), true);
}

// A store file that could not be read is kept beside the new one before the
// first save replaces it, so a damaged file never silently costs the user
// their data. Returns false when it could not be kept (then we must not save).
bool ThreadStore::keepFileAside(const char* label) {
    std::string stem = asideName(label);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::string name = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        if (::link(filePath_.c_str(), name.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        if (errno == ENOENT)
            return true;  // the file has gone meanwhile
        // Hard links may be refused (some file systems): move it aside instead.
        return !fs::exists(name) && ::rename(filePath_.c_str(), name.c_str()) == 0;
    }
    return false;
}

void ThreadStore::commit() {
    if (!deps_.writesFile)
        return;
    if (fileUnreadable_) {
        saveProblem_ = loadProblem_ + "; it is left as it is";
        return;
    }
    // The swap tells exactly what the write replaced: anything but what we
    // last read or wrote (a damaged file, an edit made a moment ago) is kept.
    stampChanges(diskState_, state_, deps_.clock->now(), deps_.machine);
    std::string bytes = encodeStoreFile(state_);
    std::optional<std::string_view> expected;
    if (diskStamp_)
        expected = diskBytes_;
    Replacement replaced = replaceFileKeepingOthers(
        filePath_, bytes, expected, asideName(damagedFileToKeep_ ? "corrupt" : "conflict"),
        deps_.durability);
    if (replaced.error) {
        saveProblem_ = "cannot write " + filePath_.string() + ": " + replaced.error.message();
        return;
    }
    if (!replaced.keptAt.empty() && !damagedFileToKeep_)
        keptAside_ = replaced.keptAt.string();
    damagedFileToKeep_ = false;
    unsaved_ = false;
    saveProblem_.clear();
    rememberDiskState(std::move(bytes));
    diskState_ = state_;
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

bool ThreadStore::retrySave() {
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

const std::vector<Strand>& ThreadStore::threads(ThreadKind kind) const {
    switch (kind) {
        case ThreadKind::parked:
            return state_.parked;
        case ThreadKind::snoozed:
            return state_.snoozed;
        case ThreadKind::active:
            break;
    }
    return state_.active;
}

const Strand* ThreadStore::findIn(ThreadKind kind, const Uuid& id) const {
    for (const auto& strand : threads(kind)) {
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

// --- Derived ------------------------------------------------------------------

const Strand* ThreadStore::current() const {
    if (state_.active.empty())
        return nullptr;
    if (state_.currentID) {
        for (const auto& strand : state_.active) {
            if (strand.id == *state_.currentID)
                return &strand;
        }
    }
    return &state_.active.front();
}

const Strand* ThreadStore::hygiene() const {
    for (const auto* strands : {&state_.active, &state_.parked, &state_.snoozed}) {
        for (const auto& strand : *strands) {
            if (strand.isHygiene)
                return &strand;
        }
    }
    return nullptr;
}

bool ThreadStore::currentIsHygiene() const {
    const Strand* now = current();
    return !state_.currentTodoID && now && now->isHygiene;
}

bool ThreadStore::hasOwnThreads() const {
    for (const auto* strands : {&state_.active, &state_.parked, &state_.snoozed}) {
        for (const auto& strand : *strands) {
            if (!strand.isHygiene)
                return true;
        }
    }
    return false;
}

Strand* ThreadStore::editAnywhere(const Uuid& id) {
    auto kind = kindOf(id);
    return kind ? editIn(*kind, id) : nullptr;
}

const Todo* ThreadStore::currentTodo() const {
    return state_.currentTodoID ? findTodo(*state_.currentTodoID) : nullptr;
}

const Todo* ThreadStore::findTodo(const Uuid& id) const {
    for (const auto& todo : state_.todos) {
        if (todo.id == id)
            return &todo;
    }
    return nullptr;
}

std::optional<Strand> ThreadStore::strand(const Uuid& id) const {
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        if (const Strand* found = findIn(kind, id))
            return *found;
    }
    return std::nullopt;
}

std::optional<Todo> ThreadStore::todo(const Uuid& id) const {
    if (const Todo* found = findTodo(id))
        return *found;
    return std::nullopt;
}

std::optional<ThreadKind> ThreadStore::kindOf(const Uuid& id) const {
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        if (findIn(kind, id))
            return kind;
    }
    return std::nullopt;
}

// --- Preferences --------------------------------------------------------------

void ThreadStore::setDefaultSnoozeMinutes(std::int64_t minutes) {
    ChangeScope scope(*this);
    state_.defaultSnoozeMinutes = std::max<std::int64_t>(minutes, 1);
    changed(StoreProperty::defaultSnoozeMinutes);
    markUnsaved();
}

void ThreadStore::setTodoChancePercent(std::int64_t percent) {
    ChangeScope scope(*this);
    state_.todoChancePercent = std::clamp<std::int64_t>(percent, 0, 100);
    changed(StoreProperty::todoChancePercent);
    markUnsaved();
}

}  // namespace cadro
