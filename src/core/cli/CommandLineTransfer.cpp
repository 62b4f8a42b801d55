// `cadro export` and `cadro import`: the whole store out as its own JSON, and
// threads and to-dos in from such a file or from a todo.txt list.
#include "core/base/Utf8.h"
#include "core/cli/CommandRun.h"
#include "core/store/StoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>

namespace cadro::cli {
namespace {

bool isDay(std::string_view word) {
    return word.size() == 10 && word[4] == '-' && word[7] == '-';
}

// One todo.txt line as a to-do title, or nothing for a finished task ("x "
// first) or a blank line. The priority "(A)", +projects, @contexts and
// key:value tags stay in the title; the creation date, which Cadro keeps
// itself, goes. Tabs count as spaces; other control characters are refused
// like everywhere else on the command line.
std::optional<std::string> todoTxtTitle(std::string line) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    if (line.ends_with('\r'))
        line.pop_back();  // written on Windows
    if (line.starts_with("x ") || trimWhitespaceAndNewlines(line).empty())
        return std::nullopt;
    std::string priority;
    if (line.size() > 4 && line[0] == '(' && line[2] == ')' && line[3] == ' ' && line[1] >= 'A' &&
        line[1] <= 'Z') {
        priority = line.substr(0, 4);
        line.erase(0, 4);
    }
    if (isDay(std::string_view(line).substr(0, 10)) && (line.size() == 10 || line[10] == ' '))
        line.erase(0, 11);
    return trimWhitespaceAndNewlines(requireText(priority + line, "the title"));
}

// The to-dos of a todo.txt file (one task a line).
PersistedState fromTodoTxt(const std::string& text, const std::string& path, Date now) {
    PersistedState state;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        std::optional<std::string> title;
        try {
            title = todoTxtTitle(line);
        } catch (const UsageError& error) {
            throw UsageError(path + ", line " + std::to_string(number) + ": " + error.what());
        }
        if (title) {
            Todo todo;
            todo.id = Uuid::random();
            todo.title = *title;
            todo.createdAt = now;
            state.todos.push_back(std::move(todo));
        }
    }
    return state;
}

// The texts of an export's records pass the checks the commands that make
// such records apply.
void checkRecords(const PersistedState& state, const std::string& path) {
    auto check = [&](const std::string& record, auto&& fields) {
        try {
            fields();
        } catch (const UsageError& error) {
            throw UsageError(path + ", " + record + ": " + error.what());
        }
    };
    for (const auto* list : {&state.active, &state.parked, &state.snoozed}) {
        for (const auto& thread : *list) {
            check("thread " + thread.id.toString(), [&] {
                requireText(thread.title, "the title");
                requireOneLine(thread.step, "the step");
                for (const auto& step : thread.nextSteps)
                    requireText(step, "a next step");
            });
        }
    }
    for (const auto& todo : state.todos)
        check("to-do " + todo.id.toString(), [&] { requireText(todo.title, "the title"); });
}

// A store file or a todo.txt list, read whole before anything changes.
PersistedState readImport(std::string bytes, const std::string& path, Date now) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);  // a byte-order mark some editors put first
    if (!isValidUtf8(bytes))
        throw UsageError(path + " is not UTF-8 text");
    const std::string start = trimWhitespaceAndNewlines(bytes.substr(0, 64));
    if (!start.starts_with("{"))
        return fromTodoTxt(bytes, path, now);
    PersistedState state;
    try {
        state = decodeStoreFile(bytes, now);
    } catch (const std::exception& error) {
        throw UsageError(path + " is not a Cadro export: " + error.what());
    }
    checkRecords(state, path);
    return state;
}

// Reads at most `limit` bytes and one more, which tells that there is more.
std::optional<std::string> readUpTo(int fd, std::size_t limit, int& error) {
    std::string content;
    char buffer[1 << 16];
    while (content.size() <= limit) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void runExport(CommandRun& run, Arguments& args) {
    args.done();
    PersistedState state = run.store().state();
    state.requests.clear();  // the memory of answered commands is not data
    run.print(encodeStoreFile(state));
}

void runImport(CommandRun& run, Arguments& args) {
    const bool dryRun = args.flag("--dry-run");
    const std::string path = args.positional("FILE");
    args.done();
    if (!run.host.input)
        throw UsageError("the content of " + path + " did not come with the command");
    const std::string& name = path == "-" ? "standard input" : path;
    const PersistedState incoming = readImport(*run.host.input, name, run.now());
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
            counted(incoming.todos.size(), "to-do", "to-dos") + " from " + name);
}

}  // namespace cadro::cli

namespace cadro {

CommandInput readCommandInput(const std::vector<std::string>& args) {
    CommandInput input;
    if (args.empty() || args.front() != "import")
        return input;
    auto file = std::find_if(args.begin() + 1, args.end(), [](const std::string& arg) {
        return arg == "-" || !arg.starts_with("-");
    });
    if (file == args.end())
        return input;  // the command itself says what is missing
    auto refuse = [&](const std::string& why) {
        input.refusal = CommandLineResult{
            kExitBadInput, "", "cadro: " + why + "\nTry 'cadro import --help' for usage.\n"};
        return input;
    };
    const std::string limit = "larger than 64 MiB, more than Cadro imports";
    int error = 0;
    if (*file == "-") {
        input.content = cli::readUpTo(STDIN_FILENO, kMaxImportBytes, error);
        if (!input.content)
            return refuse("cannot read standard input: " + std::string(std::strerror(error)));
        if (input.content->size() > kMaxImportBytes)
            return refuse("standard input is " + limit);
        if (!isValidUtf8(*input.content))
            return refuse("standard input is not UTF-8 text");
        return input;
    }
    // Never waits on a FIFO or a device: only a regular file is read.
    int fd = ::open(file->c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refuse("cannot read " + *file + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refuse(*file + " is not a regular file (use - to import standard input)");
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxImportBytes) {
        ::close(fd);
        return refuse(*file + " is " + limit);
    }
    input.content = cli::readUpTo(fd, kMaxImportBytes, error);
    ::close(fd);
    if (!input.content)
        return refuse("cannot read " + *file + ": " + std::strerror(error));
    if (input.content->size() > kMaxImportBytes)
        return refuse(*file + " is " + limit);
    if (!isValidUtf8(*input.content))
        return refuse(*file + " is not UTF-8 text");
    return input;
}

}  // namespace cadro
