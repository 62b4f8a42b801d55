#include "core/cli/ItemNames.h"

#include "core/base/Utf8.h"
#include "core/cli/Arguments.h"
#include "core/cli/CommandLineListing.h"
#include "core/status/StatusTitle.h"

#include <unicode/unistr.h>

#include <algorithm>

namespace cadro::cli {
namespace {

// Case-folded, so that "tax RETURN" and "Straße" find "Tax return" and
// "STRASSE".
std::string folded(const std::string& text) {
    std::string out;
    icu::UnicodeString::fromUTF8(text).foldCase().toUTF8String(out);
    return out;
}

std::string kindOf(const Item& item) {
    return item.isTodo()                      ? "to-do"
           : item.list == ThreadKind::parked  ? "parked thread"
           : item.list == ThreadKind::snoozed ? "snoozed thread"
                                              : "thread";
}

// A row of a list of candidates, numbered as in `cadro list`.
std::string describe(const Item& item) {
    return std::to_string(item.number) + " " + kindOf(item) + " \"" +
           withoutControlCharacters(item.title) + "\" (" + item.id.toString().substr(0, 8) + ")";
}

std::string listed(const std::vector<Item>& items) {
    std::string text;
    for (const auto& item : items)
        text += "\n  " + describe(item);
    return text;
}

bool isNumber(const std::string& text) {
    return !text.empty() && text.size() < 10 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::vector<Item> numberedItems(const ThreadStore& store) {
    std::vector<Item> items;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        for (const auto& thread : store.state().threads(kind)) {
            items.push_back(
                {items.size() + 1, thread.id, thread.title, kind, kind == ThreadKind::snoozed});
        }
    }
    for (const auto& todo : store.state().todos) {
        items.push_back(
            {items.size() + 1, todo.id, todo.title, std::nullopt, todo.snoozedUntil.has_value()});
    }
    return items;
}

Item pickItem(const ThreadStore& store, const std::string& name,
              const std::function<bool(const Item&)>& accepts, const std::string& what) {
    const std::vector<Item> all = numberedItems(store);
    auto refuse = [&](const Item& item) {
        return UsageError(kindOf(item) + " \"" + withoutControlCharacters(item.title) + "\" (#" +
                          std::to_string(item.number) + ", " + item.id.toString().substr(0, 8) +
                          ") is not a " + what);
    };
    if (isNumber(name)) {
        const std::size_t number = std::stoul(name);
        if (number < 1 || number > all.size()) {
            throw UsageError("no item has the number " + name + " (see cadro list)");
        }
        if (!accepts(all[number - 1]))
            throw refuse(all[number - 1]);
        return all[number - 1];
    }
    const std::string key = folded(name);
    std::vector<Item> exact, starts, refused;
    for (const auto& item : all) {
        const std::string id = folded(item.id.toString());
        const std::string title = folded(item.title);
        const bool same = id == key || title == key;
        const bool begins = !key.empty() && (id.starts_with(key) || title.starts_with(key));
        if ((same || begins) && !accepts(item)) {
            refused.push_back(item);
            continue;
        }
        if (same)
            exact.push_back(item);
        else if (begins)
            starts.push_back(item);
    }
    const std::vector<Item>& found = exact.empty() ? starts : exact;
    if (found.size() == 1)
        return found.front();
    const std::string shown = "\"" + withoutControlCharacters(name) + "\"";
    if (found.size() > 1) {
        throw UsageError(shown + " could be any of these; give more of the title, the number" +
                         " or the id:" + listed(found));
    }
    if (refused.size() == 1)
        throw refuse(refused.front());
    throw UsageError("no " + what + " is called " + shown + " (see cadro list)" + listed(refused));
}

}  // namespace cadro::cli
