#pragma once

// Naming a thread or a to-do on the command line: by number, id or title.

#include "core/store/ThreadStore.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cadro::cli {

/// One thread or to-do, with the number `cadro list` shows beside it.
struct Item {
    std::size_t number = 0;
    Uuid id;
    std::string title;
    /// The list a thread is in; nothing for a to-do.
    std::optional<ThreadKind> list;
    bool snoozed = false;

    bool isTodo() const { return !list; }
};

/// Every thread (active, parked, snoozed) and then every to-do, numbered
/// from 1 in the order `cadro list` shows them.
std::vector<Item> numberedItems(const ThreadStore& store);

/// The item `name` names among those `accepts` takes (`what` says which, as
/// in "snoozed thread or to-do"): its number in `cadro list`, its id or a
/// unique start of it, or its title in any case, where an exact title wins
/// over a unique start of one. Throws UsageError when nothing or several
/// match, naming the candidates.
Item pickItem(const ThreadStore& store, const std::string& name,
              const std::function<bool(const Item&)>& accepts, const std::string& what);

}  // namespace cadro::cli
