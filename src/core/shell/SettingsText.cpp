#include "core/shell/SettingsText.h"

#include "core/shell/StatusTitle.h"

#include <algorithm>

namespace cadro {
namespace {

// Decodes one UTF-8 sequence at `i`; malformed bytes stand for themselves.
char32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t need = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 1;
    if (need == 1 || i + need > text.size()) {
        length = 1;
        return lead;
    }
    char32_t cp = lead & (0x7F >> need);
    for (std::size_t k = 1; k < need; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            length = 1;
            return lead;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    length = need;
    return cp;
}

bool isLineBreak(char32_t c) {
    return c == U'\n' || c == U'\v' || c == U'\f' || c == U'\r' || c == 0x85 || c == 0x2028 ||
           c == 0x2029;
}

// Tab and the space separators (Unicode category Zs).
bool isHorizontalSpace(char32_t c) {
    return c == U'\t' || c == U' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

std::string trimHorizontal(std::string_view line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end) {
        std::size_t length = 0;
        if (!isHorizontalSpace(decodeAt(line, begin, length)))
            break;
        begin += length;
    }
    // Walk forward to find where the trailing run of spaces starts.
    std::size_t lastKept = begin;
    for (std::size_t i = begin; i < end;) {
        std::size_t length = 0;
        char32_t c = decodeAt(line, i, length);
        i += length;
        if (!isHorizontalSpace(c))
            lastKept = i;
    }
    return std::string(line.substr(begin, lastKept - begin));
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
        std::size_t length = 0;
        char32_t c = decodeAt(text, i, length);
        if (isLineBreak(c)) {
            take(text.substr(start, i - start));
            start = i + length;
        }
        i += length;
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
    return store.currentTodo() ? nullptr : store.current();
}

std::string nowHeadline(const ThreadStore& store) {
    if (const Todo* todo = store.currentTodo())
        return "\xE2\x98\x90 " + todo->title;
    if (const Strand* thread = store.current())
        return threadText(store, *thread);
    return "Nothing in the cycle";
}

bool isCurrentRow(const ThreadStore& store, const Strand& thread, ThreadKind kind) {
    return kind == ThreadKind::active && store.sessionOpen() && !store.currentTodo() &&
           store.currentID() == thread.id;
}

ScreenPoint colorPanelOrigin(double panelWidth, double panelHeight, const ScreenRect& window,
                             const ScreenRect& visible) {
    double x = window.right() + 8;
    if (x + panelWidth > visible.right())
        x = std::max(window.left() - 8 - panelWidth, visible.left());
    // Top edges level; the last clamp keeps the panel's top on screen.
    double y = std::min(window.top(), visible.bottom() - panelHeight);
    y = std::max(y, visible.top());
    return {x, y};
}

}  // namespace cadro
