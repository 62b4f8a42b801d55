#include "core/schedule/SnoozePreset.h"

#include "core/base/Calendar.h"

namespace cadro {

const std::vector<SnoozePreset>& allSnoozePresets() {
    static const std::vector<SnoozePreset> presets = {
        {"15m", "In 15 Minutes", [](Date now, const Calendar&) { return now + 900; }},
        {"1h", "In 1 Hour", [](Date now, const Calendar&) { return now + 3600; }},
        {"3h", "In 3 Hours", [](Date now, const Calendar&) { return now + 10800; }},
        {"evening", "This Evening (6 PM)",
         [](Date now, const Calendar& calendar) { return nextTime(18, false, now, calendar); }},
        {"tomorrow", "Tomorrow Morning (9 AM)",
         [](Date now, const Calendar& calendar) { return nextTime(9, true, now, calendar); }},
    };
    return presets;
}

Date nextTime(int hour, bool preferTomorrow, Date now, const Calendar& calendar) {
    Date candidate = now;
    if (const auto today = calendar.civilDate(now)) {
        candidate =
            calendar.compose(today->year, today->month, today->day, hour, 0, 0).value_or(now);
    }
    if (!preferTomorrow && candidate > now) {
        return candidate;
    }
    return calendar.addDays(candidate, 1).value_or(candidate);
}

}  // namespace cadro
