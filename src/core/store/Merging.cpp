#include "core/store/ChangeScope.h"
#include "core/store/StoreMerge.h"

namespace cadro {

std::vector<std::string> ThreadStore::mergeCopy(const PersistedState& theirs) {
    ChangeScope scope(*this);
    name("Merge from another machine");
    flushBrainDumpFile();  // adopt() below takes the linked file's text
    MergeResult result = mergeStores(state_, theirs);
    if (result.state == state_)
        return result.notes;
    const bool textChanged = result.state.brainDump != state_.brainDump;
    std::string text = result.state.brainDump;
    adopt(std::move(result.state));
    if (textChanged) {
        // adopt() took the linked file's text; the merged one replaces it.
        assignBrainDump(std::move(text));
        writeBrainDumpFile();
    }
    ensureHygiene();
    markUnsaved();
    return result.notes;
}

}  // namespace cadro
