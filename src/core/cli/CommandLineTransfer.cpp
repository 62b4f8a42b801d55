// `cadro export` and `cadro import`: the whole store out as its own JSON, and
// threads and to-dos in from such a file or from a todo.txt list.
#include "core/base/Utf8.h"
#include "core/cli/CommandRun.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/schedule/TimeInput.h"
#include "core/store/StoreFile.h"
#include "core/store/StoreFormat.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

namespace cadro::cli {
namespace {

bool isDay(std::string_view word) {
    return word.size() == 10 && word[4] == '-' && word[7] == '-';
}

// One todo.txt line as a to-do title, or nothing for a finished task ("x "
// first) or a blank line. The priority "(A)", +projects, @contexts and
// key:value tags stay in the title; the creation date, which Cadro keeps
// itself, goes, and so does a due date, which becomes a schedule. Tabs count
// as spaces; other control characters are refused like everywhere else on
// the command line.
struct TodoTxtTask {
    std::string title;
    std::optional<std::string> due;  // "2026-03-09"
};

std::optional<TodoTxtTask> todoTxtTask(std::string line) {
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
    TodoTxtTask task;
    const std::size_t due = line.find("due:");
    if (due != std::string::npos && (due == 0 || line[due - 1] == ' ') &&
        isDay(std::string_view(line).substr(due + 4, 10)) &&
        (line.size() == due + 14 || line[due + 14] == ' ')) {
        task.due = line.substr(due + 4, 10);
        line.erase(due == 0 ? 0 : due - 1, 15);
    }
    task.title = trimWhitespaceAndNewlines(requireText(priority + line, "the title"));
    return task;
}

// Whether a line could be a todo.txt task: free text, not a record of
// colon- or tab-separated fields (/etc/passwd, a table) nor markup or code.
bool looksLikeTask(const std::string& line) {
    const std::string text = trimWhitespaceAndNewlines(line);
    if (text.starts_with("x ") || text.starts_with("("))
        return true;
    if (text.find_first_of("#{}[]<>;=") == 0 || text.ends_with("{") || text.ends_with(";"))
        return false;
    return std::count(text.begin(), text.end(), ':') < 3 &&
           std::count(text.begin(), text.end(), '\t') < 2;
}

// The to-dos of a todo.txt file (one task a line). A due date becomes a
// one-off schedule at 9:00 that day, the morning time Cadro takes for a day
// named without a time; a due date already past stays in the title.
PersistedState fromTodoTxt(const std::string& text, const std::string& path,
                           const CommandRun& run) {
    PersistedState state;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        std::optional<TodoTxtTask> task;
        try {
            task = todoTxtTask(line);
        } catch (const UsageError& error) {
            throw UsageError(path + ", line " + std::to_string(number) + ": " + error.what());
        }
        if (!task)
            continue;
        Todo todo;
        todo.id = Uuid::random();
        todo.title = task->title;
        todo.createdAt = run.now();
        if (task->due) {
            const auto when = parseMoment(*task->due, run.now(), run.host.calendar);
            if (when && *when.value > run.now())
                todo.schedule = TodoSchedule{*when.value, {{9, 0}}, std::nullopt};
            else
                todo.title += " due:" + *task->due;
        }
        state.todos.push_back(std::move(todo));
    }
    return state;
}

// Refuses a file that is not a todo.txt list: most of its lines must read as
// tasks, so that /etc/passwd or a CSV table never turns into to-dos.
void requireTodoTxt(const std::string& text, const std::string& path) {
    std::istringstream lines(text);
    std::size_t tasks = 0, others = 0;
    std::string first;
    int number = 0, firstNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (trimWhitespaceAndNewlines(line).empty())
            continue;
        if (looksLikeTask(line)) {
            ++tasks;
        } else if (++others == 1) {
            first = line;
            firstNumber = number;
        }
    }
    if (tasks > others)
        return;
    std::string reason = "it holds no tasks";
    if (others > 0) {
        if (first.size() > 40)
            first = first.substr(0, 40) + "\xE2\x80\xA6";
        reason = "line " + std::to_string(firstNumber) + ", " + inQuotes(first) +
                 ", and most others do not read as tasks";
    }
    throw UsageError(path + " does not look like a Cadro export or a todo.txt list (" + reason +
                     "); to take every line as a to-do, add --format todotxt");
}

// "line 3, column 14" of a byte offset (counted from 1).
std::string position(const std::string& text, std::size_t byte) {
    const std::size_t at = std::min(byte, text.size());
    const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1);
    const std::size_t line =
        1 + static_cast<std::size_t>(
                std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    const std::size_t column = lineStart == std::string::npos ? at : at - 1 - lineStart;
    return "line " + std::to_string(line) + ", column " +
           std::to_string(std::max<std::size_t>(column, 1));
}

// Why an export could not be read, in plain words: where the JSON breaks, or
// which record has the wrong shape.
std::string exportProblem(const std::string& text, const std::exception& error) {
    try {
        const auto document = nlohmann::json::parse(text);
        (void)document;
    } catch (const nlohmann::json::parse_error& broken) {
        if (broken.byte > text.size() ||
            trimWhitespaceAndNewlines(text.substr(broken.byte - 1)).empty())
            return "it ends before the data does (it may be cut short), at " +
                   position(text, text.size());
        return "the JSON is broken at " + position(text, broken.byte);
    } catch (const std::exception&) {
        return "a number in it is too large";
    }
    std::string what = error.what();
    return "the data does not have the shape of an export (" + what + ")";
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

enum class ImportFormat { guess, todoTxt, json };

// A store file or a todo.txt list, read whole before anything changes.
PersistedState readImport(std::string bytes, const std::string& path, ImportFormat format,
                          const CommandRun& run) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);  // a byte-order mark some editors put first
    if (!isValidUtf8(bytes))
        throw UsageError(path + " is not UTF-8 text");
    const std::string start = trimWhitespaceAndNewlines(bytes.substr(0, 64));
    if (format == ImportFormat::guess && start.starts_with("["))
        throw UsageError(path + " holds a JSON list, not a Cadro export (one object with " +
                         "\"active\", \"parked\" and \"todos\")");
    if (format == ImportFormat::todoTxt ||
        (format == ImportFormat::guess && !start.starts_with("{"))) {
        if (format == ImportFormat::guess)
            requireTodoTxt(bytes, path);
        return fromTodoTxt(bytes, path, run);
    }
    PersistedState state;
    try {
        state = decodeStoreFile(bytes, run.now());
    } catch (const std::exception& error) {
        throw UsageError(path + " is not a Cadro export: " + exportProblem(bytes, error));
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
    const bool replace = args.flag("--replace");
    const bool confirmed = args.flag("--yes");
    ImportFormat format = ImportFormat::guess;
    if (auto given = args.option("--format")) {
        if (*given != "todotxt" && *given != "json")
            throw UsageError("--format takes todotxt or json, not \"" + *given + "\"");
        format = *given == "json" ? ImportFormat::json : ImportFormat::todoTxt;
    }
    const std::string path = args.positional("FILE");
    args.done();
    if (!run.host.input)
        throw UsageError("the content of " + path + " did not come with the command");
    if (replace && format == ImportFormat::guess)
        format = ImportFormat::json;  // only an export can be restored
    if (replace && format == ImportFormat::todoTxt)
        throw UsageError("--replace restores a Cadro export, not a todo.txt list");
    const std::string& name = path == "-" ? "standard input" : path;
    const PersistedState incoming = readImport(*run.host.input, name, format, run);
    if (replace && !confirmed && !dryRun)
        throw UsageError("--replace puts " + name +
                         " in place of everything in Cadro; confirm with --yes");

    // What is here already (the same id) is not added again.
    std::set<Uuid> here;
    for (const auto& item : numberedItems(run.store()))
        here.insert(item.id);
    std::size_t threads = 0, todos = 0, known = 0;
    for (const auto* list : {&incoming.active, &incoming.parked, &incoming.snoozed}) {
        for (const auto& thread : *list) {
            if (thread.isHygiene)
                continue;
            if (!replace && here.count(thread.id)) {
                ++known;
                continue;
            }
            ++threads;
            if (dryRun)
                run.print("thread " + inQuotes(thread.title));
        }
    }
    for (const auto& todo : incoming.todos) {
        if (!replace && here.count(todo.id)) {
            ++known;
            continue;
        }
        ++todos;
        if (dryRun) {
            run.print("to-do " + inQuotes(todo.title) +
                      (todo.schedule ? "  " + shortLabel(*todo.schedule, run.host.calendar) : ""));
        }
    }
    const std::string counts =
        counted(threads, "thread", "threads") + " and " + counted(todos, "to-do", "to-dos");
    const std::string already =
        known ? " (" + std::to_string(known) + " already here)" : std::string();
    if (dryRun) {
        run.print((replace ? "Would replace everything with " : "Would add ") + counts + already +
                  "; nothing changed");
        return;
    }
    if (replace) {
        if (!run.report(actions::replaceRecords(run.store(), incoming)))
            return;
        run.sayDone("Replaced everything with the " + counts + " of " + name);
        return;
    }
    if (!run.report(actions::importRecords(run.store(), incoming)))
        return;
    run.say("Added " + counts + " from " + name + already);
}

}  // namespace cadro::cli

namespace cadro {

CommandInput readCommandInput(const std::vector<std::string>& args) {
    CommandInput input;
    if (args.empty() || args.front() != "import")
        return input;
    auto file = args.begin() + 1;
    for (; file != args.end(); ++file) {
        if (*file == "--format" && file + 1 != args.end())
            ++file;  // its value is no file
        else if (*file == "-" || !file->starts_with("-"))
            break;
    }
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
    auto given = [&](const char* flag) {
        return std::find(args.begin(), args.end(), flag) != args.end();
    };
    if (given("--replace") && !given("--yes") && !given("--dry-run") && ::isatty(STDIN_FILENO) &&
        ::isatty(STDERR_FILENO)) {
        // Without a terminal the command itself refuses and asks for --yes.
        std::fprintf(stderr,
                     "Replace all threads, to-dos and preferences in Cadro with those of %s? "
                     "[y/N] ",
                     file->c_str());
        char answer[16] = {};
        const bool yes =
            std::fgets(answer, sizeof answer, stdin) && (answer[0] == 'y' || answer[0] == 'Y');
        if (!yes) {
            input.refusal = CommandLineResult{kExitNothingToDo, "", "cadro: nothing changed\n"};
            return input;
        }
        input.confirmed = true;
    }
    return input;
}

}  // namespace cadro
