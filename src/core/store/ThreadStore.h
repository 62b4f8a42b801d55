#pragma once

#include "core/base/Clock.h"
#include "core/base/Observable.h"
#include "core/base/Random.h"
#include "core/store/BrainDumpFile.h"
#include "core/store/Records.h"
#include "core/store/StoreFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cadro {

class Calendar;

/// The published properties of the store; observers are told which changed.
enum class StoreProperty {
    active,
    parked,
    snoozed,
    currentID,
    todos,
    currentTodoID,
    interruptedTodoID,
    defaultSnoozeMinutes,
    todoChancePercent,
    brainDump,
    brainDumpFilePath,
    sessionOpen,
};

/// Changes to one thread made together; absent fields stay as they are. An
/// inner nullopt removes the priority or the colour.
struct ThreadRevision {
    std::optional<std::string> title = {};
    std::optional<std::string> step = {};
    std::optional<std::vector<std::string>> nextSteps = {};
    std::optional<std::optional<std::int64_t>> priority = {};
    std::optional<std::optional<std::string>> colorHex = {};
};

/// Changes to one to-do made together; an inner nullopt removes the estimate
/// or the schedule.
struct TodoRevision {
    std::optional<std::string> title = {};
    std::optional<std::optional<std::int64_t>> minutes = {};
    std::optional<std::optional<TodoSchedule>> schedule = {};
};

/// What the store needs from the world; tests replace each piece.
struct StoreDependencies {
    const Clock* clock = &SystemClock::instance();
    /// Schedules are computed in this calendar; the user's own when null.
    const Calendar* calendar = nullptr;
    /// The chance draws; the store makes its own seeded source when null.
    RandomSource* random = nullptr;
    Durability durability = Durability::Synced;
    /// False reads the file but never writes it (benchmarks, previews).
    bool writesFile = true;
    /// False: what opening the store repaired (the hygiene thread, woken
    /// snoozes, a picked thread) is written with the first change rather than
    /// at once, so a one-shot command that changes nothing writes nothing.
    bool savesLoadRepairs = true;
    /// Names this machine in the change stamps merges go by.
    std::string machine = "local";
};

/// Whether an edit is written at once or a moment later.
enum class Save {
    now,
    /// For typing: the edit is kept and written by the next save(), or by the
    /// next operation that writes; the front end calls save() soon after.
    soon,
};

/// The preferences kept in the store; absent ones stay as they are.
struct Preferences {
    /// Raised to at least one minute.
    std::optional<std::int64_t> defaultSnoozeMinutes = {};
    /// Kept within 0 to 100.
    std::optional<std::int64_t> todoChancePercent = {};
};

/// The to-do a chance draw picks, weighted by estimate, among those neither
/// scheduled nor snoozed at `now`; `roll` is uniform in [0, 1).
std::optional<Todo> weightedRandomTodo(const std::vector<Todo>& todos, Date now, double roll);

/// The single owner of all user data: the three thread lists, the to-dos, the
/// cycle position, the day session, two preferences and the brain dump. Every
/// operation that changes persisted state rewrites "threads.json" before it
/// returns (an edit made with Save::soon waits for the next save()); a write
/// that fails is kept in memory and reported by file().saveProblem().
/// Operations never throw; unknown ids are ignored.
///
/// Each operation is one transaction: it writes the file once, at its end,
/// and then tells observers once about each published property that changed.
class ThreadStore {
  public:
    /// Opens (or starts) the store in `directory`, or in defaultStoreDirectory().
    explicit ThreadStore(std::optional<std::filesystem::path> directory = std::nullopt,
                         StoreDependencies dependencies = {});
    ~ThreadStore();
    ThreadStore(const ThreadStore&) = delete;
    ThreadStore& operator=(const ThreadStore&) = delete;

    /// Everything the store holds, with its read-only views.
    const PersistedState& state() const { return state_; }
    /// The file's path, and what became of reading and writing it.
    const StoreFile& file() const { return file_; }

    [[nodiscard]] Subscription subscribe(std::function<void(StoreProperty)> observer) {
        return changes_.subscribe(std::move(observer));
    }

    // --- The cycle --------------------------------------------------------------
    /// Moves on: wakes due snoozes, then finishes the to-do that is up, or
    /// draws a chance to-do, or picks the next thread.
    void next();
    /// Notes occurrences that passed in the last minute and, when allowed,
    /// shows the first pending scheduled to-do.
    void processSchedules(Date now, bool canPresent);

    // --- To-dos -------------------------------------------------------------------
    /// Adds a to-do with the title trimmed; nothing for a blank title.
    std::optional<Uuid> addTodo(std::string_view title, std::optional<std::int64_t> minutes = {},
                                std::optional<TodoSchedule> schedule = {});
    /// Applies every change of the revision in one transaction; a new
    /// schedule clears lastFiredAt.
    void reviseTodo(const Uuid& id, const TodoRevision& revision, Save when = Save::now);
    /// Finishes a to-do as Next does when it is up: it leaves (a repeating one
    /// stays for its next time) and, if it was up, the cycle resumes.
    void finishTodo(Uuid id);

    // --- Parking and snoozing (a thread's id, or for snooze/wake a to-do's) ------
    // Ids that take a record out of a list are taken by value: a caller may
    // pass the id of the very record being moved.
    void park(Uuid id);
    void unpark(Uuid id);
    void snooze(Uuid id, Date until);
    void wake(Uuid id);
    /// Wakes every thread whose time has come and clears passed snoozes of
    /// unscheduled to-dos. Saves when `persist` (or when it picks a thread).
    /// True when anything woke.
    bool wakeDueSnoozes(bool persist);

    // --- Editing threads --------------------------------------------------------
    /// Adds a complete new thread to the ring; picks it when nothing is current.
    void addThread(Strand strand);
    /// Applies every change of the revision in one transaction. A priority
    /// below 1 is raised to 1.
    void reviseThread(const Uuid& id, const ThreadRevision& revision, Save when = Save::now);
    /// Removes the thread (the hygiene thread stays) or the to-do.
    void remove(Uuid id);
    /// Moves the current thread to its first planned step; false when it has
    /// none (nothing changes then).
    bool advanceCurrentStep();
    /// Moves the active rows at `offsets` so that they land before the row that
    /// was at `destination` (keeping their order), reseats the ring and saves.
    void moveActive(const std::vector<std::size_t>& offsets, std::size_t destination);
    /// Adds the threads (each to the list it is in there) and the to-dos of
    /// another store's state, but none whose id is here already (the same
    /// record). Its hygiene thread, cycle position, preferences and brain
    /// dump stay out.
    void importRecords(const PersistedState& other);
    /// Makes another store's state (a backup) the whole state, as if the file
    /// had been replaced by it.
    void replaceRecords(PersistedState other);

    // --- The day session ---------------------------------------------------------
    /// Opens the day and restarts the round from the first active thread.
    void startDay();
    /// Closes the day: nothing is current until a thread joins the ring.
    void endDay();

    // --- The brain dump ---------------------------------------------------------
    /// Links a Markdown file: a non-empty file's text wins, else the store's
    /// text is written into it. False (nothing changes) for a file that
    /// cannot be read, or whose content is not UTF-8 text. Links in the
    /// chosen path are resolved now; none is followed later. No path unlinks
    /// the file (the file itself is left alone).
    bool linkBrainDumpFile(const std::optional<std::filesystem::path>& path);
    /// The user edited the page: keep the text and mirror it to the linked
    /// file, with the store file (Save::soon: by the next save). When
    /// another editor changed the file since it was last read or written
    /// here, both texts are kept: the file's stays and becomes the store's,
    /// and this text goes to a conflict copy beside it. False when the file
    /// did not take the text (brainDumpFileProblem() says why and where the
    /// text is).
    bool editBrainDump(std::string text, Save when = Save::now);
    /// Takes the linked file's text when it differs (another editor changed
    /// it); text typed but not yet written goes first, as editBrainDump says.
    void refreshBrainDump();
    /// Why the linked file was last not read or written (empty when it was).
    const std::string& brainDumpFileProblem() const { return brainDumpProblem_; }

    void setPreferences(const Preferences& preferences);

    // --- The file -----------------------------------------------------------------
    /// Writes what is not on disk yet (an edit saved soon, or a save that
    /// failed); true when everything is on disk.
    bool save();
    /// True while a change could not be written (file().saveProblem() says
    /// why); an edit waiting to be saved soon does not count.
    bool hasUnsavedChanges() const { return unsaved_ && !pendingSoon_; }
    /// From now on nothing is written: another process owns the file.
    void stopWriting() { file_.stopWriting(); }

    /// Runs `apply` as one transaction for the request with this id. A
    /// request the store already carried out is not run again: the answer it
    /// got then is returned. One that changes the store is remembered with its
    /// answer, written in the same save as the change, so that a request sent
    /// again after a lost answer, a restart or another writer is still known.
    RememberedReply applyOnce(const std::string& id, const std::function<RememberedReply()>& apply);

    /// Merges a copy of the store changed on another machine, record by
    /// record; what had to give way is added to the brain dump. Returns those
    /// notes.
    std::vector<std::string> mergeCopy(const PersistedState& theirs);

    using DiskChange = StoreFile::Change;
    /// Loads the file again when another program changed it since this store
    /// last read or wrote it. Every operation starts with this check, so an
    /// outside edit is never overwritten by older state.
    DiskChange reloadIfChangedOnDisk();

    // --- Undo ---------------------------------------------------------------------
    /// Told, once its transaction is written, about each change the user made
    /// (every operation below names its own; housekeeping such as waking due
    /// snoozes is not named) and about outside changes to the file: its name
    /// and the state before and after it.
    using ChangeRecorder = std::function<void(
        const std::string& label, const PersistedState& before, const PersistedState& after)>;
    void setChangeRecorder(ChangeRecorder recorder) { recorder_ = std::move(recorder); }
    /// Lets `edit` change the records and the cycle directly, as one
    /// transaction that is not named (undo and redo): ids left naming nothing
    /// are cleared and, in an open day, a thread is made current.
    void restore(const std::function<void(PersistedState&)>& edit);

  private:
    class ChangeScope;
    friend class ChangeScope;

    // Names the open transaction, unless an outer operation named it first.
    void name(std::string label);
    // "Park \"Title\"": the verb and the title of the thread or to-do `id`.
    std::string titled(const char* verb, const Uuid& id) const;
    // Takes a decoded file as the state and repairs what it must; true when a
    // repair changed it without marking it unsaved.
    bool adopt(PersistedState loaded);
    // Fresh ids for records that share one; keeps preferences in range.
    void repair();
    void ensureHygiene();
    // The operation's single write; failures are kept in the file's saveProblem.
    void commit();
    void markUnsaved() { unsaved_ = true; }
    // Lets this transaction's write wait for save() when `when` is soon and
    // it is not part of a larger operation.
    void deferWrite(Save when);
    void takeOutsideChange();
    void removeTodo(const Uuid& id);
    void snoozeTodo(const Uuid& id, Date until);
    void wakeTodo(const Uuid& id);

    // Steps of other operations; they never save by themselves.
    // Chooses and installs the next current thread.
    void pickCurrent();
    // Puts a thread into the ring: at the end, or just before a hygiene thread
    // that stands last.
    void joinRing(Strand strand);
    // Rewrites every active thread's lastSlot after a reorder so that the
    // thread below the current one comes up next.
    void reseatRing();
    // Marks the to-do that is up as done (a repeating one stays) and resumes.
    void completeCurrentTodo();
    // What comes up after a to-do left: the interrupted to-do, the same
    // thread after a scheduled one, or the next thread.
    void resumeAfterTodo(bool wasScheduled);
    bool writeBrainDumpFile();
    // Writes an edit of the brain dump into the linked file, keeping an
    // outside edit made since (see editBrainDump); true when the file holds
    // the store's text.
    bool flushBrainDumpFile();
    // The linked file's text, or nothing when none is linked or it cannot be
    // read as UTF-8; for the store to take.
    std::optional<std::string> readBrainDumpFile();

    std::vector<Strand>& list(ThreadKind kind);
    void changed(StoreProperty property);
    void setCurrentID(std::optional<Uuid> id);
    void setCurrentTodoID(std::optional<Uuid> id);
    void setInterruptedTodoID(std::optional<Uuid> id);
    void setSessionOpen(bool open);
    void assignBrainDump(std::string text);
    const Strand* findIn(ThreadKind kind, const Uuid& id) const;
    // Like findIn, and marks the list as changed.
    Strand* editIn(ThreadKind kind, const Uuid& id);
    // The thread with this id in whichever list holds it, marked as changed.
    Strand* editAnywhere(const Uuid& id);
    const Todo* findTodo(const Uuid& id) const;
    // Like findTodo, and marks the to-dos as changed.
    Todo* editTodo(const Uuid& id);
    void eraseTodos(const Uuid& id);
    const Calendar& calendar() const;
    // Step 4 of Next: true when a chance to-do came up.
    bool drawChanceTodo();
    void presentScheduled(const Uuid& id, Date now);
    // Takes the thread out of `kind`'s list; nullopt when it is not there.
    std::optional<Strand> take(ThreadKind kind, const Uuid& id);
    // After a thread left the ring: pick a new one when it was current, else save.
    void afterLeavingRing(const Uuid& id);
    // After a thread joined the ring: pick one when nothing is current, else save.
    void afterJoiningRing();

    PersistedState state_;
    StoreDependencies deps_;
    StoreFile file_;
    // The state the file last held as read or written here: what the next
    // save stamps its changes against.
    PersistedState diskState_;
    // diskState_ is not taken yet: it equals state_ until the next operation
    // opens (most loads repair nothing, and a load that only reads never
    // pays for the copy).
    bool diskIsState_ = false;
    std::unique_ptr<RandomSource> ownRandom_;
    mutable std::unique_ptr<Calendar> ownCalendar_;
    bool unsaved_ = false;
    // The unsaved change waits for save() (typing).
    bool pendingSoon_ = false;
    bool deferThisWrite_ = false;
    // Reading learns which file the link holds.
    BrainDumpFile brainDumpFile_;
    std::string brainDumpProblem_;
    // The brain dump was edited since the linked file was last written.
    bool brainDumpFilePending_ = false;
    // The linked file's text as last written here or taken from it: what an
    // edit builds on, so that any other text there is another editor's.
    std::optional<std::string> brainDumpOnDisk_;
    // What the opening of the current operation found on disk.
    DiskChange lastDiskChange_ = DiskChange::none;

    ChangeRecorder recorder_;
    // The open transaction's name, and the state it started from (kept
    // between transactions, so that naming one copies only what changed).
    std::optional<std::string> naming_;
    PersistedState undoBase_;

    Observable<StoreProperty> changes_;
    unsigned changedMask_ = 0;
    int scopeDepth_ = 0;
};

}  // namespace cadro
