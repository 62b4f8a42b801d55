#pragma once

#include "core/base/Date.h"
#include "core/base/Uuid.h"
#include "core/store/ThreadStore.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cadro {

/// Something that happened on its own, which the user hears about outside the
/// menu: a scheduled to-do that fired, or a thread or to-do whose snooze ran
/// out.
struct StoreNotice {
    enum class Kind { todoFired, threadWoke, todoWoke };

    Kind kind = Kind::todoFired;
    Uuid id;
    std::string title;

    friend bool operator==(const StoreNotice&, const StoreNotice&) = default;
};

/// Whether what the notice announced has been dealt with since, wherever that
/// happened: a to-do finished, removed, snoozed or pushed back, a thread set
/// aside again.
bool isHandled(const StoreNotice& notice, const ThreadStore& store);

/// Compares the store with what it was at the last look and tells what fired
/// or woke in between; also remembers which fired to-dos the user has not
/// seen yet. A wake the user asked for (a snooze ended early) is no notice.
class StoreNotices {
  public:
    explicit StoreNotices(const ThreadStore& store);

    /// What happened since the last call (or since construction), at most one
    /// notice per firing and per wake.
    std::vector<StoreNotice> take(const ThreadStore& store, Date now);

    /// A fired to-do is up or waiting and the user has not looked since.
    bool needsAttention() const { return !unseen_.empty(); }
    /// The user opened the menu or clicked the icon.
    void markSeen() { unseen_.clear(); }

  private:
    void remember(const ThreadStore& store);

    std::map<Uuid, std::optional<Date>> firedAt_;
    std::map<Uuid, std::optional<Date>> snoozedUntil_;
    std::map<Uuid, Date> todoSnoozedUntil_;
    std::set<Uuid> unseen_;
};

}  // namespace cadro
