#include "core/store/DataLocation.h"

#include "core/base/AtomicFile.h"
#include "core/base/Clock.h"
#include "core/base/Uuid.h"
#include "core/store/StoreFormat.h"
#include "core/store/ThreadStore.h"

namespace cadro {
namespace fs = std::filesystem;

namespace {

fs::path choiceFile(const EnvironmentLookup& lookup) {
    return configHome(lookup) / "Cadro" / "data-folder";
}

std::string firstLine(std::string text) {
    text = text.substr(0, text.find('\n'));
    return text;
}

// The same folder however it was spelled.
fs::path normal(const fs::path& folder) {
    std::error_code ec;
    fs::path out = fs::weakly_canonical(fs::absolute(folder), ec);
    return ec ? fs::absolute(folder).lexically_normal() : out;
}

std::error_code remember(const fs::path& folder, const EnvironmentLookup& lookup) {
    const fs::path file = choiceFile(lookup);
    if (normal(folder) == normal(machineFolder(lookup))) {
        std::error_code ec;
        fs::remove(file, ec);
        return ec;
    }
    if (auto ec = createPrivateDirectories(file.parent_path()))
        return ec;
    return writeFileAtomically(file, folder.string() + "\n", Durability::Synced);
}

}  // namespace

fs::path machineFolder(const EnvironmentLookup& lookup) {
    return dataHome(lookup) / "Cadro";
}

std::optional<fs::path> chosenDataFolder(const EnvironmentLookup& lookup) {
    std::string text;
    if (readWholeFile(choiceFile(lookup), text))
        return std::nullopt;
    fs::path folder = firstLine(text);
    if (folder.empty() || !folder.is_absolute())
        return std::nullopt;
    return folder;
}

std::string machineName(const EnvironmentLookup& lookup) {
    const fs::path file = machineFolder(lookup) / "machine";
    std::string text;
    if (!readWholeFile(file, text) && !firstLine(text).empty())
        return firstLine(text);
    // Short but unique enough among one person's machines.
    std::string name = Uuid::random().toString().substr(0, 13);
    if (createPrivateDirectories(file.parent_path()) ||
        writeFileAtomically(file, name + "\n", Durability::Synced))
        return "local";
    return name;
}

DataMove moveDataFolder(const fs::path& from, const fs::path& to, bool join,
                        const std::string& machine, const EnvironmentLookup& lookup) {
    DataMove move;
    move.folder = normal(to);
    const fs::path source = from / "threads.json";
    const fs::path target = move.folder / "threads.json";
    if (move.folder == normal(from)) {
        move.outcome = DataMove::Outcome::alreadyThere;
        if (remember(move.folder, lookup))
            move.problem = "cannot remember the folder in " + choiceFile(lookup).string();
        return move;
    }
    auto refuse = [&](std::string problem) {
        move.outcome = DataMove::Outcome::refused;
        move.problem = std::move(problem);
        return move;
    };
    std::string bytes;
    if (std::error_code ec = readWholeFile(source, bytes);
        ec && ec != std::errc::no_such_file_or_directory)
        return refuse("cannot read " + source.string() + ": " + ec.message());
    if (std::error_code ec = createPrivateDirectories(move.folder))
        return refuse("cannot create " + move.folder.string() + ": " + ec.message());
    std::error_code ec;
    const bool occupied = fs::exists(target, ec);
    if (occupied && !join)
        return refuse(move.folder.string() +
                      " already holds Cadro's data (threads.json); --join merges yours into it");
    if (occupied) {
        PersistedState mine;
        try {
            if (!bytes.empty())
                mine = decodeStoreFile(bytes, SystemClock::instance().now());
        } catch (const json::DecodeError& error) {
            return refuse(source.string() + " does not read (" + error.what() + ")");
        }
        // The day goes on as it is in the shared data: joining is no change of it.
        mine.marks.session.reset();
        StoreDependencies deps;
        deps.machine = machine;
        deps.savesLoadRepairs = false;
        ThreadStore shared(move.folder, deps);
        if (shared.file().health() != StoreFile::Health::good)
            return refuse(shared.file().loadProblem());
        shared.mergeCopy(mine);
        if (shared.hasUnsavedChanges())
            return refuse(shared.file().saveProblem());
        move.outcome = DataMove::Outcome::joined;
    } else {
        // With no file yet, the folder is simply chosen.
        if (fs::exists(source, ec))
            if (std::error_code w = writeFileAtomically(target, bytes, Durability::Synced))
                return refuse("cannot write " + target.string() + ": " + w.message());
        move.outcome = DataMove::Outcome::moved;
    }
    if (std::error_code r = remember(move.folder, lookup)) {
        if (move.outcome == DataMove::Outcome::moved)
            fs::remove(target, ec);  // the old file stays the one in use
        return refuse("cannot remember the folder in " + choiceFile(lookup).string() + ": " +
                      r.message());
    }
    fs::remove(source, ec);
    return move;
}

}  // namespace cadro
