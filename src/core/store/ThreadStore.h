#pragma once

#include "core/base/AtomicFile.h"
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
    std::optional<std::string> title;
    std::optional<std::string> step;
    std::optional<std::vector<std::string>> nextSteps;
    std::optional<std::optional<std::int64_t>> priority;
    std::optional<std::optional<std::string>> colorHex;
};

/// Changes to one to-do made together; an inner nullopt removes the estimate
/// or the schedule.
struct TodoRevision {
    std::optional<std::string> title;
    std::optional<std::optional<std::int64_t>> minutes;
    std::optional<std::optional<TodoSchedule>> schedule;
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

/// The single owner of all user data: the three thread lists, the to-dos, the
/// cycle position, the day session, two preferences and the brain dump. Every
/// operation that changes persisted state rewrites "threads.json" before it
/// returns; a write that fails is kept in memory and reported by
/// saveProblem(). Operations never throw; unknown ids are ignored.
///
/// Each operation is one transaction: it writes the file once, at its end,
/// and then tells observers once about each published property that changed.
class ThreadStore {
  public:
    /// Opens (or starts) the store in `directory`, or in defaultDirectory().
    explicit ThreadStore(std::optional<std::filesystem::path> directory = std::nullopt,
                         StoreDependencies dependencies = {});
    ~ThreadStore();
    ThreadStore(const ThreadStore&) = delete;
    ThreadStore& operator=(const ThreadStore&) = delete;

    /// The folder the user chose for their data, else $XDG_DATA_HOME/Cadro
    /// (~/.local/share/Cadro).
    static std::filesystem::path defaultDirectory();

    // --- State --------------------------------------------------------------
    const std::vector<Strand>& active() const { return state_.active; }
    const std::vector<Strand>& parked() const { return state_.parked; }
    const std::vector<Strand>& snoozed() const { return state_.snoozed; }
    const std::vector<Todo>& todos() const { return state_.todos; }
    const std::vector<Strand>& threads(ThreadKind kind) const;
    std::optional<Uuid> currentID() const { return state_.currentID; }
    std::optional<Uuid> currentTodoID() const { return state_.currentTodoID; }
    std::optional<Uuid> interruptedTodoID() const { return state_.interruptedTodoID; }
    std::int64_t defaultSnoozeMinutes() const { return state_.defaultSnoozeMinutes; }
    std::int64_t todoChancePercent() const { return state_.todoChancePercent; }
    const std::string& brainDump() const { return state_.brainDump; }
    const std::optional<std::string>& brainDumpFilePath() const { return state_.brainDumpFilePath; }
    bool sessionOpen() const { return state_.sessionOpen; }
    std::int64_t slot() const { return state_.slot; }
    const PersistedState& persistedState() const { return state_; }
    const std::filesystem::path& filePath() const { return filePath_; }
    /// Scheduled to-dos that fired and wait to be shown (memory only).
    const std::set<Uuid>& pendingScheduledTodoIDs() const { return state_.pendingScheduledTodoIDs; }

    /// Why the store file could not be used at start-up, and where the damaged
    /// file was kept; empty when it loaded (or did not exist yet).
    const std::string& loadProblem() const { return loadProblem_; }

    enum class FileHealth {
        good,
        /// Read but not understood: kept aside when the first change is saved.
        damaged,
        /// Cannot be read (permissions, I/O): it is never replaced, and
        /// nothing is saved until it can be read again.
        unreadable,
    };
    FileHealth fileHealth() const;
    /// Where the last edit another program made while this store was saving
    /// was kept; empty when none was.
    const std::string& keptAside() const { return keptAside_; }

    // --- Derived (pointers stay valid until the next change) ------------------
    /// The active thread named by currentID, else the first active thread.
    const Strand* current() const;
    /// The first hygiene thread in active, parked, then snoozed.
    const Strand* hygiene() const;
    bool currentIsHygiene() const;
    bool hasOwnThreads() const;
    const Todo* currentTodo() const;
    std::optional<Strand> strand(const Uuid& id) const;
    std::optional<Todo> todo(const Uuid& id) const;
    /// Which list holds the thread, if any.
    std::optional<ThreadKind> kindOf(const Uuid& id) const;

    [[nodiscard]] Subscription subscribe(std::function<void(StoreProperty)> observer) {
        return changes_.subscribe(std::move(observer));
    }

    // --- The cycle --------------------------------------------------------------
    /// Moves on: wakes due snoozes, then finishes the to-do that is up, or
    /// draws a chance to-do, or picks the next thread.
    void next();

    // --- To-dos in the cycle ------------------------------------------------------
    /// A to-do drawn by chance, weighted by estimate; nothing changes.
    std::optional<Todo> weightedRandomTodo() const;
    /// Notes occurrences that passed in the last minute and, when allowed,
    /// shows the first pending scheduled to-do.
    void processSchedules(Date now, bool canPresent);

    // --- Editing to-dos ------------------------------------------------------------
    /// Adds a to-do with the title trimmed; nothing for a blank title.
    std::optional<Uuid> addTodo(std::string_view title, std::optional<std::int64_t> minutes = {},
                                std::optional<TodoSchedule> schedule = {});
    void updateTodo(const Uuid& id, std::string title);
    void setTodoMinutes(const Uuid& id, std::optional<std::int64_t> minutes);
    /// Replaces the schedule and clears lastFiredAt.
    void setTodoSchedule(const Uuid& id, std::optional<TodoSchedule> schedule);
    void removeTodo(const Uuid& id);
    /// Finishes a to-do as Next does when it is up: it leaves (a repeating one
    /// stays for its next time) and, if it was up, the cycle resumes.
    void finishTodo(const Uuid& id);
    /// Applies every change of the revision in one transaction.
    void reviseTodo(const Uuid& id, const TodoRevision& revision);
    /// Clears the snooze of a to-do.
    void wakeTodo(const Uuid& id);

    // --- Parking and snoozing ------------------------------------------------------
    void parkCurrent();
    void park(const Uuid& id);
    void unpark(const Uuid& id);
    void snooze(const Uuid& id, Date until);
    void wake(const Uuid& id);
    /// Snoozes the to-do that is up, else the current thread.
    void snoozeCurrent(Date until);
    void snoozeTodo(const Uuid& id, Date until);
    /// Wakes every thread whose time has come and clears passed snoozes of
    /// unscheduled to-dos. Saves when `persist` (or when it picks a thread).
    void wakeDueSnoozes(bool persist);

    // --- Editing threads --------------------------------------------------------
    /// Adds a complete new thread to the ring; picks it when nothing is current.
    void addThread(Strand strand);
    void update(const Uuid& id, std::string title, std::string step);
    void setNextSteps(const Uuid& id, std::vector<std::string> steps);
    /// Values below 1 are raised to 1; nullopt removes the priority.
    void setPriority(const Uuid& id, std::optional<std::int64_t> priority);
    void setColor(const Uuid& id, std::optional<std::string> colorHex);
    /// Applies every change of the revision in one transaction.
    void reviseThread(const Uuid& id, const ThreadRevision& revision);
    /// Removes the thread from every list; the hygiene thread stays.
    void remove(const Uuid& id);
    void setCurrentStep(std::string step);
    /// Moves the current thread to its first planned step; false when it has
    /// none (nothing changes then).
    bool advanceCurrentStep();
    /// Moves the active rows at `offsets` so that they land before the row that
    /// was at `destination` (keeping their order), reseats the ring and saves.
    void moveActive(const std::vector<std::size_t>& offsets, std::size_t destination);

    /// Adds the threads (each to the list it is in there) and the to-dos of
    /// another store's state, with fresh ids where they clash. Its hygiene
    /// thread, cycle position, preferences and brain dump stay out.
    void importRecords(const PersistedState& other);

    // --- The day session ---------------------------------------------------------
    /// Opens the day and restarts the round from the first active thread.
    void startDay();
    /// Closes the day: nothing is current until a thread joins the ring.
    void endDay();

    // --- The brain dump ---------------------------------------------------------
    /// Links a Markdown file: a non-empty file's text wins, else the store's
    /// text is written into it. False (nothing changes) for a file that
    /// cannot be read, or whose content is not UTF-8 text. Links in the
    /// chosen path are resolved now; none is followed later.
    bool linkBrainDumpFile(const std::filesystem::path& path);
    /// The user edited the page: keep the text and mirror it to the file.
    /// False when the linked file refused it (the text is kept in the store).
    bool editBrainDump(std::string text);
    /// Forgets the linked file; the file itself is left alone.
    void unlinkBrainDumpFile();
    /// Takes the linked file's text when it differs (another editor changed
    /// it).
    void refreshBrainDump();
    /// The linked file's text, or nothing when none is linked or it cannot be
    /// read as UTF-8.
    std::optional<std::string> readBrainDumpFile() const;
    /// Why the linked file was last not read or written (empty when it was).
    const std::string& brainDumpFileProblem() const { return brainDumpProblem_; }

    // --- Preferences ------------------------------------------------------------
    /// Raised to at least one minute.
    void setDefaultSnoozeMinutes(std::int64_t minutes);
    /// Kept within 0 to 100.
    void setTodoChancePercent(std::int64_t percent);

    // --- The file -----------------------------------------------------------------
    /// Why the last save failed; empty while everything is on disk. The state
    /// stays in memory and the next operation (or retrySave) writes it.
    const std::string& saveProblem() const { return saveProblem_; }
    bool hasUnsavedChanges() const { return unsaved_; }
    /// Writes what an earlier save could not; true when everything is on disk.
    bool retrySave();
    /// From now on nothing is written: another process owns the file.
    void stopWriting() { deps_.writesFile = false; }

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

    enum class DiskChange {
        none,
        /// Another program changed the file: its content is now the state.
        reloaded,
        /// The file was changed into something unreadable: it was kept aside
        /// (loadProblem() says where) and the state in memory written back.
        damaged,
        /// The file changed while a failed save was pending: the state in
        /// memory wins, the other version was kept aside.
        keptAside,
    };
    /// Loads the file again when another program changed it since this store
    /// last read or wrote it. Every operation starts with this check, so an
    /// outside edit is never overwritten by older state.
    DiskChange reloadIfChangedOnDisk();

  private:
    class ChangeScope;
    friend class ChangeScope;

    void load();
    PersistedState decodeSettled(std::string& bytes) const;
    // Takes a decoded file as the state and repairs what it must.
    void adopt(PersistedState loaded);
    // Fresh ids for records that share one; keeps preferences in range.
    void repair();
    void ensureHygiene();
    // Keeps the file as it is now beside the store file, named with `label`
    // and the time. False when it could not (then we must not overwrite it).
    bool keepFileAside(const char* label);
    // "threads.json.<label>-<time>": where a file is kept aside.
    std::string asideName(const char* label) const;
    // Notes a file that cannot be read; true for such an error.
    bool noteUnreadable(std::error_code error);
    // The operation's single write; failures are kept in saveProblem_.
    void commit();
    void markUnsaved() { unsaved_ = true; }
    DiskChange takeOutsideChange();
    void rememberDiskState(std::string bytes);

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
    std::filesystem::path filePath_;
    StoreDependencies deps_;
    std::unique_ptr<RandomSource> ownRandom_;
    mutable std::unique_ptr<Calendar> ownCalendar_;
    std::string loadProblem_;
    bool damagedFileToKeep_ = false;
    bool fileUnreadable_ = false;
    std::string keptAside_;
    bool unsaved_ = false;
    std::string saveProblem_;
    // Reading learns which file the link holds; hence mutable.
    mutable BrainDumpFile brainDumpFile_;
    mutable std::string brainDumpProblem_;
    // The file as this store last read or wrote it, to tell our own saves
    // from other programs' edits.
    std::optional<FileStamp> diskStamp_;
    std::string diskBytes_;
    // The same, decoded: what the next save stamps its changes against.
    PersistedState diskState_;
    // What the opening of the current operation found on disk.
    DiskChange lastDiskChange_ = DiskChange::none;

    Observable<StoreProperty> changes_;
    unsigned changedMask_ = 0;
    int scopeDepth_ = 0;
};

}  // namespace cadro
