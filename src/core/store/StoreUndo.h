#pragma once

#include "core/base/AtomicFile.h"
#include "core/store/ThreadStore.h"
#include "core/store/UndoHistory.h"

#include <filesystem>
#include <optional>
#include <string>

namespace cadro {

/// Undo and redo of a store's changes, kept in a file of this machine so
/// that they outlive the process: the tray app and `cadro` commands run
/// without it (whichever holds the store) share it.
class StoreUndo {
  public:
    /// Records the store's named changes and outside changes from now on.
    /// `writesFile` false keeps the history in memory only.
    StoreUndo(ThreadStore& store, std::filesystem::path file, bool writesFile = true);
    ~StoreUndo();
    StoreUndo(const StoreUndo&) = delete;
    StoreUndo& operator=(const StoreUndo&) = delete;

    /// "undo.json" in `stateDirectory`, else in $XDG_STATE_HOME/Cadro
    /// (~/.local/state/Cadro): the history is this machine's, not part of
    /// the data a user may sync between machines.
    static std::filesystem::path fileIn(
        const std::optional<std::filesystem::path>& stateDirectory = std::nullopt);

    /// What undo would take back, or redo make again.
    std::optional<std::string> undoLabel();
    std::optional<std::string> redoLabel();
    /// Takes the latest change back (a change another program made to the
    /// file first); its label, or nothing when there is nothing to undo.
    std::optional<std::string> undo();
    std::optional<std::string> redo();

  private:
    // Reads the file again when another process wrote it since.
    void refresh();
    void save();
    std::optional<std::string> apply(bool forward);

    ThreadStore& store_;
    std::filesystem::path file_;
    bool writesFile_;
    UndoHistory history_;
    std::optional<FileStamp> stamp_;
};

}  // namespace cadro
