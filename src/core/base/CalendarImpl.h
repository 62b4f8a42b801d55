#pragma once

// The ICU side of Calendar, for the core's formatters only.

#include "core/base/Calendar.h"

#include <unicode/format.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace cadro {

struct Calendar::Impl {
    std::string zoneId;
    std::string localeId;
    icu::Locale locale;
    std::unique_ptr<icu::GregorianCalendar> calendar;
    int firstWeekday = 1;
    // Answers already worked out: a list of many to-dos asks about the same
    // few days and times over and over, and each costs ICU a computation.
    std::map<double, LocalTime> localTimes;
    std::map<std::array<std::int64_t, 6>, std::optional<Date>> composed;
    // Formatters are costly to make and cheap to use, so each calendar keeps
    // the ones asked of it.
    std::map<std::string, std::unique_ptr<icu::UObject>, std::less<>> cache;

    /// The cached object under `key`, made by `make` on first use; null when
    /// `make` fails.
    template <typename T, typename Make>
    T* cached(std::string_view key, Make&& make) {
        auto found = cache.find(key);
        if (found == cache.end()) {
            std::unique_ptr<T> made = make();
            found = cache.emplace(std::string(key), std::move(made)).first;
        }
        return static_cast<T*>(found->second.get());
    }
};

/// ICU's milliseconds for an instant the calendar accepts.
inline UDate toIcuDate(Date date) {
    return date.toUnix() * 1000.0;
}

}  // namespace cadro
