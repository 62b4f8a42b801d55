#include "core/schedule/TodoSchedule.h"

namespace cadro {

std::string_view toString(RepeatUnit unit) {
    switch (unit) {
        case RepeatUnit::day:
            return "day";
        case RepeatUnit::week:
            return "week";
        case RepeatUnit::month:
            return "month";
    }
    return "day";
}

std::optional<RepeatUnit> repeatUnitFromString(std::string_view text) {
    if (text == "day")
        return RepeatUnit::day;
    if (text == "week")
        return RepeatUnit::week;
    if (text == "month")
        return RepeatUnit::month;
    return std::nullopt;
}

}  // namespace cadro
