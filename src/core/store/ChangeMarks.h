#pragma once

#include "core/base/Date.h"
#include "core/base/Uuid.h"
#include "core/store/Records.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cadro {

/// A record that was removed, remembered for a while so that a copy of the
/// store from another machine does not bring it back.
struct Deletion {
    Uuid id;
    ChangeStamp stamp;

    friend bool operator==(const Deletion&, const Deletion&) = default;
};

/// What lets two copies of the store changed apart be merged record by
/// record. All of it is optional in the file: a file without it loads, and a
/// reader that drops unknown keys still reads the rest.
struct ChangeMarks {
    /// The last change of each thread and to-do, by id ("changedAt" and
    /// "changedOn" inside each record).
    std::map<Uuid, ChangeStamp> records;
    /// "deleted": [{"id", "at", "on"}].
    std::vector<Deletion> deleted;
    /// "machines": for each machine, the time of its latest change this copy
    /// holds; every earlier change from that machine is in it too.
    std::map<std::string, Date> machines;
    /// The day's state: current thread and to-do, slot, open or closed.
    std::optional<ChangeStamp> session;
    std::optional<ChangeStamp> brainDump;
    /// The order of the ring.
    std::optional<Date> ringAt;

    /// True when this copy holds the change `stamp` describes. What was never
    /// stamped is older than any copy.
    bool knows(const std::optional<ChangeStamp>& stamp) const;
    std::optional<ChangeStamp> of(const Uuid& id) const;

    friend bool operator==(const ChangeMarks&, const ChangeMarks&) = default;
};

}  // namespace cadro
