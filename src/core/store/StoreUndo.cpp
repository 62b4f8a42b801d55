#include "core/store/StoreUndo.h"

#include "core/base/XdgFolders.h"

namespace cadro {

StoreUndo::StoreUndo(ThreadStore& store, std::filesystem::path file, bool writesFile)
    : store_(store), file_(std::move(file)), writesFile_(writesFile) {
    refresh();
    store_.setChangeRecorder([this](const std::string& label, const PersistedState& before,
                                    const PersistedState& after) {
        refresh();
        if (history_.record(label, before, after))
            save();
    });
}

StoreUndo::~StoreUndo() {
    store_.setChangeRecorder({});
}

std::filesystem::path StoreUndo::fileIn(
    const std::optional<std::filesystem::path>& stateDirectory) {
    return stateDirectory.value_or(stateHome() / "Cadro") / "undo.json";
}

void StoreUndo::refresh() {
    auto stamp = stampOf(file_);
    if (!stamp || stamp == stamp_)
        return;
    std::string bytes;
    if (!readWholeFile(file_, bytes)) {
        history_ = UndoHistory::decode(bytes, store_.file().path().string());
        stamp_ = stamp;
    }
}

void StoreUndo::save() {
    if (!writesFile_)
        return;
    // Losing the last step in a power cut costs little; syncing would double
    // the time every change takes.
    createPrivateDirectories(file_.parent_path());
    if (!writeFileAtomically(file_, history_.encode(store_.file().path().string()),
                             Durability::Unsynced))
        stamp_ = stampOf(file_);
}

std::optional<std::string> StoreUndo::undoLabel() {
    refresh();
    const UndoStep* step = history_.undoable();
    return step ? std::optional(step->label) : std::nullopt;
}

std::optional<std::string> StoreUndo::redoLabel() {
    refresh();
    const UndoStep* step = history_.redoable();
    return step ? std::optional(step->label) : std::nullopt;
}

std::optional<std::string> StoreUndo::apply(bool forward) {
    refresh();
    store_.reloadIfChangedOnDisk();  // an edit made meanwhile is the latest change
    if (!(forward ? history_.redoable() : history_.undoable()))
        return std::nullopt;
    std::optional<std::string> label;
    store_.restore([&](PersistedState& state) {
        label = forward ? history_.redo(state) : history_.undo(state);
    });
    save();
    return label;
}

std::optional<std::string> StoreUndo::undo() {
    return apply(false);
}

std::optional<std::string> StoreUndo::redo() {
    return apply(true);
}

}  // namespace cadro
