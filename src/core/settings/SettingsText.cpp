#include "core/settings/SettingsText.h"

#include "core/base/Utf8.h"
#include "core/status/StatusTitle.h"

#include <algorithm>

namespace cadro {
namespace {

bool isLineBreak(std::int32_t c) {
    return c == U'\n' || c == U'\v' || c == U'\f' || c == U'\r' || c == 0x85 || c == 0x2028 ||
           c == 0x2029;
}

// Tab and the space separators (Unicode category Zs).
bool isHorizontalSpace(std::int32_t c) {
    return c == U'\t' || c == U' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

std::string trimHorizontal(std::string_view line) {
    std::size_t begin = line.size();
    std::size_t end = 0;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t start = i;
        if (!isHorizontalSpace(nextCodePoint(line, i))) {
            begin = std::min(begin, start);
            end = i;
        }
    }
    return begin < end ? std::string(line.substr(begin, end - begin)) : std::string();
}

}  // namespace

std::vector<std::string> stepsFromText(std::string_view text) {
    std::vector<std::string> steps;
    auto take = [&](std::string_view piece) {
        std::string trimmed = trimHorizontal(piece);
        if (!trimmed.empty())
            steps.push_back(std::move(trimmed));
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (isLineBreak(nextCodePoint(text, i))) {
            take(text.substr(start, at - start));
            start = i;
        }
    }
    take(text.substr(start));
    return steps;
}

std::string nextStepsSummary(std::size_t count) {
    if (count == 0)
        return "Plan next steps";
    if (count == 1)
        return "1 next step";
    return std::to_string(count) + " next steps";
}

const Strand* nowThread(const ThreadStore& store) {
    return store.state().currentTodo() ? nullptr : store.state().current();
}

std::string builtInThreadNote(const Strand& hygiene) {
    const std::string title = trimWhitespaceAndNewlines(hygiene.title);
    const std::string which =
        title.empty() ? "The thread" : "The \xE2\x80\x9C" + title + "\xE2\x80\x9D thread";
    return which +
           " below is built in. It comes up once a round and opens this window, so you can tidy "
           "up your threads.";
}

std::string nowHeadline(const ThreadStore& store) {
    if (const Todo* todo = store.state().currentTodo())
        return "\xE2\x98\x90 " + todo->title;
    if (const Strand* thread = store.state().current())
        return threadText(store, *thread);
    return "Nothing in the cycle";
}

bool isCurrentRow(const ThreadStore& store, const Strand& thread, ThreadKind kind) {
    return kind == ThreadKind::active && store.state().sessionOpen &&
           !store.state().currentTodo() && store.state().currentID == thread.id;
}

}  // namespace cadro
