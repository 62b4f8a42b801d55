// `cadro export` and `cadro import`: the whole store out as its own JSON, and
// threads and to-dos in from such a file or from a todo.txt list.
#include "core/base/Utf8.h"
#include "core/cli/CommandRun.h"
#include "core/store/StoreFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace cadro::cli {
namespace {

bool isDay(std::string_view word) {
    return word.size() == 10 && word[4] == '-' && word[7] == '-';
}

// One todo.txt line as a to-do title, or nothing for a finished task ("x "
// first). The priority "(A)", +projects, @contexts and key:value tags stay
// in the title; the creation date, which Cadro keeps itself, goes.
std::optional<std::string> todoTxtTitle(std::string line) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    if (line.ends_with('\r'))
        line.pop_back();  // written on Windows
    if (line.starts_with("x "))
        return std::nullopt;
    std::string priority;
    if (line.size() > 4 && line[0] == '(' && line[2] == ')' && line[3] == ' ' && line[1] >= 'A' &&
        line[1] <= 'Z') {
        priority = line.substr(0, 4);
        line.erase(0, 4);
    }
    if (isDay(std::string_view(line).substr(0, 10)) && (line.size() == 10 || line[10] == ' '))
        line.erase(0, 11);
    std::string title = trimWhitespaceAndNewlines(withoutControlCharacters(priority + line));
    if (title.empty())
        return std::nullopt;
    return title;
}

// The to-dos of a todo.txt file (one task a line).
PersistedState fromTodoTxt(const std::string& text, Date now) {
    PersistedState state;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (auto title = todoTxtTitle(line)) {
            Todo todo;
            todo.id = Uuid::random();
            todo.title = *title;
            todo.createdAt = now;
            state.todos.push_back(std::move(todo));
        }
    }
    return state;
}

// A store file or a todo.txt list, read whole before anything changes.
PersistedState readImport(const std::string& path, Date now) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw UsageError("cannot read " + path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw UsageError("cannot read " + path);
    if (!isValidUtf8(bytes))
        throw UsageError(path + " is not UTF-8 text");
    const std::string start = trimWhitespaceAndNewlines(bytes.substr(0, 64));
    if (!start.starts_with("{"))
        return fromTodoTxt(bytes, now);
    try {
        return decodeStoreFile(bytes, now);
    } catch (const std::exception& error) {
        throw UsageError(path + " is not a Cadro export: " + error.what());
    }
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void runExport(CommandRun& run, Arguments& args) {
    args.done();
    PersistedState state = run.store().persistedState();
    state.requests.clear();  // the memory of answered commands is not data
    run.print(encodeStoreFile(state));
}

void runImport(CommandRun& run, Arguments& args) {
    const bool dryRun = args.flag("--dry-run");
    const std::string path = args.positional("FILE");
    args.done();
    const PersistedState incoming = readImport(path, run.now());
    std::size_t threads = 0;
    for (const auto* list : {&incoming.active, &incoming.parked, &incoming.snoozed}) {
        for (const auto& thread : *list) {
            if (thread.isHygiene)
                continue;
            ++threads;
            if (dryRun)
                run.print("thread " + inQuotes(thread.title));
        }
    }
    if (dryRun) {
        for (const auto& todo : incoming.todos)
            run.print("to-do " + inQuotes(todo.title));
        run.print("Would add " + counted(threads, "thread", "threads") + " and " +
                  counted(incoming.todos.size(), "to-do", "to-dos") + "; nothing changed");
        return;
    }
    run.store().importRecords(incoming);
    run.say("Added " + counted(threads, "thread", "threads") + " and " +
            counted(incoming.todos.size(), "to-do", "to-dos") + " from " + path);
}

}  // namespace cadro::cli
