#pragma once

#include "core/base/Date.h"

#include <functional>
#include <string>
#include <vector>

namespace cadro {

class Calendar;

/// One of the fixed choices of the snooze menu. The wake-up date is worked
/// out when the user picks it.
struct SnoozePreset {
    std::string id;
    std::string label;
    std::function<Date(Date now, const Calendar& calendar)> makeDate;
};

/// In menu order: 15 minutes, 1 hour, 3 hours, this evening, tomorrow morning.
const std::vector<SnoozePreset>& allSnoozePresets();

/// Today at hour:00 if that is still ahead (and tomorrow is not preferred),
/// else the same time on the next day. A time skipped by a daylight-saving
/// change moves forward to the first valid instant.
Date nextTime(int hour, bool preferTomorrow, Date now, const Calendar& calendar);

}  // namespace cadro
