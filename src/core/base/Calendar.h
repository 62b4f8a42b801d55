#pragma once

#include "core/base/Date.h"
#include "core/base/DayNumber.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cadro {

/// The Gregorian calendar of one time zone and locale, on ICU. Zone rules come
/// from the system's zoneinfo files when it has one for the zone (they are
/// updated with the system), else from ICU's own data.
///
/// Operations are const but not thread-safe: the ICU objects behind them are
/// reused between calls to keep them cheap. Use one Calendar per thread.
///
/// Instants outside the supported years (roughly 1601 to 9998) and non-finite
/// instants are rejected: optional results are empty, others are documented.
class Calendar {
  public:
    /// Null for a zone id neither the system nor ICU knows. An empty or
    /// unknown locale id gives en_US_POSIX.
    static std::unique_ptr<Calendar> make(std::string_view zoneId, std::string_view localeId);
    /// The user's calendar: zone from TZ, else /etc/localtime; locale from
    /// LC_ALL, LC_TIME, LANG (the first set). Never null: UTC and
    /// en_US_POSIX stand in for what cannot be read.
    static std::unique_ptr<Calendar> current();

    ~Calendar();
    Calendar(const Calendar&) = delete;
    Calendar& operator=(const Calendar&) = delete;

    const std::string& zoneId() const;
    const std::string& localeId() const;
    /// 1 = Sunday ... 7 = Saturday, from the locale.
    int firstWeekday() const;

    /// Whether an instant lies in the range the calendar works in.
    static bool inRange(Date date);

    /// The first instant of the day containing `date`; `date` itself when out
    /// of range.
    Date startOfDay(Date date) const;
    // Fields of the local date and time; 0 for an out-of-range instant.
    int year(Date date) const;
    int month(Date date) const;  // 1-12
    int day(Date date) const;
    int weekday(Date date) const;  // 1 = Sunday
    int hour(Date date) const;
    int minute(Date date) const;
    int second(Date date) const;
    std::optional<CivilDate> civilDate(Date date) const;
    /// Local calendar day of an instant, counted from 1970-01-01.
    std::optional<std::int64_t> dayNumber(Date date) const;

    /// All the local fields of an instant from one computation, for callers
    /// that need several (each field on its own costs a computation).
    struct LocalTime {
        CivilDate date;
        std::int64_t dayNumber = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };
    std::optional<LocalTime> localTime(Date date) const;

    /// The instant of a wall-clock time. Values outside their usual range roll
    /// over (hour 25 is 01:00 the next day). A time skipped by a daylight-saving
    /// change gives the first valid instant after it; a time that occurs twice
    /// gives the first.
    std::optional<Date> compose(std::int64_t year, std::int64_t month, std::int64_t day,
                                std::int64_t hour, std::int64_t minute, std::int64_t second) const;
    /// Same wall-clock time `days` calendar days later (or earlier).
    std::optional<Date> addDays(Date date, std::int64_t days) const;
    /// Whole months elapsed from `from` to `to` (negative when `to` is
    /// earlier).
    std::optional<std::int64_t> monthsBetween(Date from, Date to) const;

    struct Impl;
    /// Use make() or current(); the parts are only known to the core.
    explicit Calendar(std::unique_ptr<Impl> impl);
    /// For formatters in the core that need the ICU calendar and locale.
    Impl& impl() const;

  private:
    // The user's calendar, made now.
    static std::unique_ptr<Calendar> resolveCurrent();
    // Null until first used for the calendar of current(): opening ICU's
    // zone and calendar costs more than a whole command that needs neither.
    mutable std::unique_ptr<Impl> impl_;
};

}  // namespace cadro
