#include "core/store/ChangeMarks.h"

namespace cadro {

bool ChangeMarks::knows(const std::optional<ChangeStamp>& stamp) const {
    if (!stamp)
        return true;
    auto found = machines.find(stamp->on);
    return found != machines.end() && found->second >= stamp->at;
}

std::optional<ChangeStamp> ChangeMarks::of(const Uuid& id) const {
    auto found = records.find(id);
    if (found == records.end())
        return std::nullopt;
    return found->second;
}

}  // namespace cadro
