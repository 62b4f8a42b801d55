// The working day and the brain dump with its linked file.
#include "core/base/Utf8.h"
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

namespace cadro {

void ThreadStore::startDay() {
    ChangeScope scope(*this);
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

std::optional<std::string> ThreadStore::readBrainDumpFile() const {
    if (!state_.brainDumpFilePath)
        return std::nullopt;
    std::string text;
    if (readWholeFile(*state_.brainDumpFilePath, text))
        return std::nullopt;
    if (!isValidUtf8(text))
        return std::nullopt;
    return text;
}

void ThreadStore::writeBrainDumpFile() {
    if (!state_.brainDumpFilePath)
        return;
    // Errors are absorbed: the text stays in the store file.
    writeFileAtomically(*state_.brainDumpFilePath, state_.brainDump, deps_.durability);
}

bool ThreadStore::linkBrainDumpFile(const std::filesystem::path& path) {
    ChangeScope scope(*this);
    // A file with content we cannot read as text is refused: writing the
    // store's text into it would destroy what is there.
    std::string bytes;
    std::error_code readError = readWholeFile(path, bytes);
    if (readError && readError != std::errc::no_such_file_or_directory)
        return false;
    if (!readError && !bytes.empty() && !isValidUtf8(bytes))
        return false;

    state_.brainDumpFilePath = path.string();
    changed(StoreProperty::brainDumpFilePath);
    if (!bytes.empty()) {
        assignBrainDump(std::move(bytes));  // the file wins
    } else {
        writeBrainDumpFile();  // the store's text wins
    }
    markUnsaved();
    return true;
}

void ThreadStore::editBrainDump(std::string text) {
    ChangeScope scope(*this);
    assignBrainDump(std::move(text));
    writeBrainDumpFile();
    markUnsaved();
}

void ThreadStore::unlinkBrainDumpFile() {
    ChangeScope scope(*this);
    if (state_.brainDumpFilePath) {
        state_.brainDumpFilePath.reset();
        changed(StoreProperty::brainDumpFilePath);
    }
    markUnsaved();
}

void ThreadStore::refreshBrainDump() {
    ChangeScope scope(*this);
    if (auto text = readBrainDumpFile())
        assignBrainDump(std::move(*text));
}

}  // namespace cadro
