// The working day and the brain dump with its linked file.
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

namespace cadro {

void ThreadStore::startDay() {
    ChangeScope scope(*this);
    name("Start Day");
    setSessionOpen(true);
    setCurrentTodoID(std::nullopt);
    setInterruptedTodoID(std::nullopt);
    state_.pendingScheduledTodoIDs.clear();
    state_.slot = 0;
    if (!state_.active.empty()) {
        for (auto& strand : list(ThreadKind::active))
            strand.lastSlot.reset();
        setCurrentID(state_.active.front().id);
        state_.active.front().lastSlot = 0;
        state_.slot = 1;
    } else {
        setCurrentID(std::nullopt);
    }
    markUnsaved();
}

void ThreadStore::endDay() {
    ChangeScope scope(*this);
    name("End Day");
    setSessionOpen(false);
    setCurrentID(std::nullopt);
    setCurrentTodoID(std::nullopt);
    setInterruptedTodoID(std::nullopt);
    state_.pendingScheduledTodoIDs.clear();
    markUnsaved();
}

void ThreadStore::setSessionOpen(bool open) {
    if (state_.sessionOpen == open)
        return;
    state_.sessionOpen = open;
    changed(StoreProperty::sessionOpen);
}

void ThreadStore::setCurrentTodoID(std::optional<Uuid> id) {
    if (state_.currentTodoID == id)
        return;
    state_.currentTodoID = id;
    changed(StoreProperty::currentTodoID);
}

void ThreadStore::setInterruptedTodoID(std::optional<Uuid> id) {
    if (state_.interruptedTodoID == id)
        return;
    state_.interruptedTodoID = id;
    changed(StoreProperty::interruptedTodoID);
}

void ThreadStore::assignBrainDump(std::string text) {
    if (state_.brainDump == text)
        return;
    state_.brainDump = std::move(text);
    changed(StoreProperty::brainDump);
}

std::optional<std::string> ThreadStore::readBrainDumpFile() {
    if (!state_.brainDumpFilePath)
        return std::nullopt;
    BrainDumpFile::Read read = brainDumpFile_.read(*state_.brainDumpFilePath);
    brainDumpProblem_ = read.problem;
    if (read.text || read.missing)
        brainDumpOnDisk_ = read.text;
    return read.text;
}

bool ThreadStore::writeBrainDumpFile() {
    if (!state_.brainDumpFilePath)
        return true;
    brainDumpFilePending_ = false;
    // A refusal is kept for the front ends to show: the text stays in the
    // store file.
    brainDumpProblem_ =
        brainDumpFile_.write(*state_.brainDumpFilePath, state_.brainDump, deps_.durability);
    if (!brainDumpProblem_.empty())
        return false;
    brainDumpOnDisk_ = state_.brainDump;
    return true;
}

bool ThreadStore::flushBrainDumpFile() {
    if (!std::exchange(brainDumpFilePending_, false) || !state_.brainDumpFilePath)
        return true;
    const std::filesystem::path path = *state_.brainDumpFilePath;
    BrainDumpFile::Read now = brainDumpFile_.read(path);
    brainDumpProblem_ = now.problem;
    if (!now.text && !now.missing)
        return false;  // what cannot be read is never replaced
    if (!now.text || *now.text == state_.brainDump || now.text == brainDumpOnDisk_)
        return writeBrainDumpFile();
    // Another editor changed the file since: its text stays and is shown,
    // the store's goes beside it. Without a copy both stay where they are.
    const std::optional<std::filesystem::path> copy =
        BrainDumpFile::keepConflictCopy(path, state_.brainDump);
    if (!copy) {
        brainDumpProblem_ = path.string() + " was changed in another editor and no copy of " +
                            "the brain dump can be made beside it";
        return false;
    }
    brainDumpProblem_ = path.filename().string() + " was changed in another editor, so its " +
                        "text is kept; the brain dump as it was in Cadro is beside it in " +
                        copy->filename().string();
    brainDumpOnDisk_ = now.text;
    assignBrainDump(std::move(*now.text));
    return false;
}

bool ThreadStore::linkBrainDumpFile(const std::optional<std::filesystem::path>& chosen) {
    ChangeScope scope(*this);
    flushBrainDumpFile();  // typing goes to the file it was typed for
    if (!chosen) {
        brainDumpFile_.forget();
        brainDumpProblem_.clear();
        brainDumpOnDisk_.reset();
        if (state_.brainDumpFilePath) {
            state_.brainDumpFilePath.reset();
            changed(StoreProperty::brainDumpFilePath);
        }
        markUnsaved();
        return true;
    }
    // A file with content we cannot read as text is refused: writing the
    // store's text into it would destroy what is there.
    const std::filesystem::path path = BrainDumpFile::resolvedChoice(*chosen);
    BrainDumpFile file;
    BrainDumpFile::Read read = file.read(path);
    brainDumpProblem_ = read.problem;
    if (!read.text && !read.missing)
        return false;

    brainDumpFile_ = std::move(file);
    state_.brainDumpFilePath = path.string();
    changed(StoreProperty::brainDumpFilePath);
    brainDumpOnDisk_ = read.text;
    if (read.text && !read.text->empty()) {
        assignBrainDump(std::move(*read.text));  // the file wins
    } else {
        writeBrainDumpFile();  // the store's text wins
    }
    markUnsaved();
    return true;
}

bool ThreadStore::editBrainDump(std::string text, Save when) {
    ChangeScope scope(*this);
    deferWrite(when);
    assignBrainDump(std::move(text));
    markUnsaved();
    brainDumpFilePending_ = true;
    // Typing reaches the file with the store file (see commit()).
    return deferThisWrite_ || flushBrainDumpFile();
}

void ThreadStore::refreshBrainDump() {
    ChangeScope scope(*this);
    if (brainDumpFilePending_) {
        flushBrainDumpFile();  // then the file and the store agree
        return;
    }
    if (auto text = readBrainDumpFile())
        assignBrainDump(std::move(*text));
}

}  // namespace cadro
