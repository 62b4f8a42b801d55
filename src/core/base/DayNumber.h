#pragma once

#include <cstdint>

namespace cadro {

/// A calendar date in the proleptic Gregorian calendar.
struct CivilDate {
    std::int64_t year = 1970;
    std::int64_t month = 1;  // 1-12
    std::int64_t day = 1;    // 1-31

    friend auto operator<=>(const CivilDate&, const CivilDate&) = default;
};

// Day numbers count calendar days from 1970-01-01 (day 0). They make day and
// week arithmetic exact: a calendar day is a day whatever the clocks do on it.
// The algorithms are Howard Hinnant's, valid far beyond the years we accept.

constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

constexpr std::int64_t dayNumberFromCivil(const CivilDate& date) {
    const std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t m = date.month;
    const std::int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr CivilDate civilFromDayNumber(std::int64_t dayNumber) {
    const std::int64_t z = dayNumber + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

/// 1 = Sunday ... 7 = Saturday, the calendar's own numbering.
constexpr int weekdayOfDayNumber(std::int64_t dayNumber) {
    // 1970-01-01 was a Thursday (5).
    return static_cast<int>(floorMod(dayNumber + 4, 7)) + 1;
}

constexpr bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(std::int64_t year, std::int64_t month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

/// Months counted from year 0, so that consecutive months differ by one.
constexpr std::int64_t monthIndex(std::int64_t year, std::int64_t month) {
    return year * 12 + (month - 1);
}

}  // namespace cadro
