#pragma once

#include "core/store/StoreFile.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// One change that can be taken back: what the user calls it and what it
/// changed (compact JSON, see UndoHistory.cpp).
struct UndoStep {
    std::string label;
    std::string changes;

    friend bool operator==(const UndoStep&, const UndoStep&) = default;
};

/// The changes the user can take back, newest last, and the ones taken back
/// that can be made again. A step keeps only the records and cycle fields its
/// change touched, each as it was before and after; undoing puts those back
/// in whatever the state is by then, so changes made since to other records
/// stay. The brain dump, remembered answers and pending notices are not
/// part of it.
class UndoHistory {
  public:
    static constexpr std::size_t kDepth = 100;
    /// Beyond this many bytes of steps the oldest go, however few are left:
    /// a store of thousands of threads makes big steps (a reorder touches
    /// every thread), and the history is rewritten on every change.
    static constexpr std::size_t kBudgetBytes = 8 * 1024 * 1024;

    explicit UndoHistory(std::size_t depth = kDepth, std::size_t budgetBytes = kBudgetBytes);

    /// Keeps the change from `before` to `after` as the newest step and
    /// forgets what was undone. False, keeping nothing, when they differ in
    /// nothing a step holds.
    bool record(std::string label, const PersistedState& before, const PersistedState& after);

    const UndoStep* undoable() const { return done_.empty() ? nullptr : &done_.back(); }
    const UndoStep* redoable() const { return undone_.empty() ? nullptr : &undone_.back(); }
    std::size_t size() const { return done_.size(); }

    /// Takes the newest step back in `state`; its label, or nothing when
    /// there is none (or it could not be read: then it is dropped).
    std::optional<std::string> undo(PersistedState& state);
    /// Makes the last undone step again.
    std::optional<std::string> redo(PersistedState& state);

    /// The history as a file, naming the store file it belongs to.
    std::string encode(std::string_view store = {}) const;
    /// A file that does not read, or that belongs to another store file,
    /// gives an empty history (it is a convenience, never the user's data).
    static UndoHistory decode(std::string_view bytes, std::string_view store = {},
                              std::size_t depth = kDepth, std::size_t budgetBytes = kBudgetBytes);

  private:
    void trim();

    std::size_t depth_;
    std::size_t budgetBytes_;
    std::size_t bytes_ = 0;
    std::deque<UndoStep> done_;
    std::vector<UndoStep> undone_;
};

}  // namespace cadro
