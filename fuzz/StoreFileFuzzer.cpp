// Opens a store on arbitrary bytes. Whatever the bytes, opening must not
// crash or hang, and bytes that cannot be loaded must be kept beside the new
// file, unchanged.
#include "core/base/AtomicFile.h"
#include "core/store/ThreadStore.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path& folder() {
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "cadro-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    return path;
}

void clearFolder() {
    for (const auto& entry : fs::directory_iterator(folder()))
        fs::remove_all(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clearFolder();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fs::path file = folder() / "threads.json";
    if (cadro::writeFileAtomically(file, bytes, cadro::Durability::Unsynced))
        std::abort();

    cadro::StoreDependencies deps;
    deps.durability = cadro::Durability::Unsynced;
    cadro::ThreadStore store(folder(), deps);
    store.next();

    if (!store.file().loadProblem().empty()) {
        bool kept = false;
        for (const auto& entry : fs::directory_iterator(folder())) {
            std::string name = entry.path().filename().string();
            if (name.rfind("threads.json.corrupt-", 0) != 0)
                continue;
            std::string copy;
            if (!cadro::readWholeFile(entry.path(), copy) && copy == bytes)
                kept = true;
        }
        if (!kept)
            std::abort();  // the previous file was lost
    }
    // What the store wrote must load again without problems.
    cadro::ThreadStore again(folder(), deps);
    if (!again.file().loadProblem().empty())
        std::abort();
    return 0;
}
