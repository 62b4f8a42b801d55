#include "core/base/Calendar.h"

#include "core/base/CalendarImpl.h"
#include "core/base/ZoneInfo.h"

#include <unicode/basictz.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace cadro {
namespace {

// 1601-01-01 to 9999-01-01 UTC. ICU's Gregorian calendar turns Julian before
// 1582; the range keeps every computation on the Gregorian side and far from
// integer limits inside ICU.
constexpr double kMinUnix = -11644473600.0;
constexpr double kMaxUnix = 253370764800.0;

// Bounds for the parts of a composed time, so that ICU's 32-bit field
// arithmetic cannot overflow; anything beyond would leave the range anyway.
constexpr std::int64_t kMaxYear = 20000;
constexpr std::int64_t kMaxMonths = 12 * kMaxYear;
constexpr std::int64_t kMaxDays = 366 * kMaxYear;
constexpr std::int64_t kMaxHours = 24 * kMaxDays;
constexpr std::int64_t kMaxMinutes = 1'000'000'000;

constexpr std::int64_t kJulianDayOfUnixEpoch = 2440588;

const char* const kZoneinfoDir = "/usr/share/zoneinfo";

bool setTo(Calendar::Impl& impl, Date date) {
    if (!Calendar::inRange(date)) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    impl.calendar->setTime(toIcuDate(date), status);
    return U_SUCCESS(status);
}

std::optional<int> field(Calendar::Impl& impl, UCalendarDateFields which) {
    UErrorCode status = U_ZERO_ERROR;
    const int value = impl.calendar->get(which, status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return value;
}

int fieldOf(Calendar::Impl& impl, Date date, UCalendarDateFields which) {
    if (!setTo(impl, date)) {
        return 0;
    }
    return field(impl, which).value_or(0);
}

std::optional<Date> currentTime(Calendar::Impl& impl) {
    UErrorCode status = U_ZERO_ERROR;
    const UDate millis = impl.calendar->getTime(status);
    if (U_FAILURE(status) || !std::isfinite(millis)) {
        return std::nullopt;
    }
    const Date date = Date::fromUnix(millis / 1000.0);
    if (!Calendar::inRange(date)) {
        return std::nullopt;
    }
    return date;
}

std::optional<Date> addField(Calendar::Impl& impl, Date date, UCalendarDateFields which,
                             std::int64_t amount, std::int64_t limit) {
    if (amount < -limit || amount > limit || !setTo(impl, date)) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    impl.calendar->add(which, static_cast<int32_t>(amount), status);
    // add() ignores the repeated-time option; setting a field makes getTime
    // resolve the wall-clock time again, with the option applied.
    const int millisecond = impl.calendar->get(UCAL_MILLISECOND, status);
    impl.calendar->set(UCAL_MILLISECOND, millisecond);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return currentTime(impl);
}

std::optional<std::int64_t> difference(Calendar::Impl& impl, Date from, Date to,
                                       UCalendarDateFields which) {
    if (!Calendar::inRange(to) || !setTo(impl, from)) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t result = impl.calendar->fieldDifference(toIcuDate(to), which, status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return result;
}

// Enough for any list; dropped whole when full, which a long-running app
// with an ever-moving "now" eventually is.
constexpr std::size_t kMaxRemembered = 4096;

template <typename Map>
void makeRoom(Map& map) {
    if (map.size() >= kMaxRemembered) {
        map.clear();
    }
}

std::string localeFromEnvironment() {
    std::string value;
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* text = std::getenv(name);
        if (text != nullptr && *text != '\0') {
            value = text;
            break;
        }
    }
    // "de_DE.UTF-8@euro": the codeset and modifier mean nothing to ICU.
    value = value.substr(0, value.find_first_of(".@"));
    if (value.empty() || value == "C" || value == "POSIX") {
        return "en_US_POSIX";
    }
    return value;
}

std::unique_ptr<icu::TimeZone> icuZone(std::string_view zoneId) {
    if (auto zone = loadSystemZone(zoneId, kZoneinfoDir)) {
        return zone;
    }
    // ICU maps unknown ids to "Etc/Unknown" (GMT) without complaint.
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(
        icu::StringPiece(zoneId.data(), static_cast<int32_t>(zoneId.size())))));
    if (!zone || *zone == icu::TimeZone::getUnknown()) {
        return nullptr;
    }
    return zone;
}

std::unique_ptr<Calendar> assemble(std::string zoneId, std::unique_ptr<icu::TimeZone> zone,
                                   std::string_view localeId) {
    auto impl = std::make_unique<Calendar::Impl>();
    impl->zoneId = std::move(zoneId);
    impl->localeId = localeId.empty() ? "en_US_POSIX" : std::string(localeId);
    impl->locale = icu::Locale(impl->localeId.c_str());
    if (impl->locale.isBogus()) {
        impl->localeId = "en_US_POSIX";
        impl->locale = icu::Locale("en_US_POSIX");
    }
    UErrorCode status = U_ZERO_ERROR;
    // Explicitly Gregorian: createInstance gives Buddhist or Persian
    // calendars for some locales.
    impl->calendar = std::make_unique<icu::GregorianCalendar>(zone.release(), impl->locale, status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    impl->calendar->setLenient(true);
    impl->calendar->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
    impl->calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    impl->firstWeekday = impl->calendar->getFirstDayOfWeek(status);
    if (U_FAILURE(status) || impl->firstWeekday < 1 || impl->firstWeekday > 7) {
        impl->firstWeekday = 1;
    }
    return std::make_unique<Calendar>(std::move(impl));
}

// The zone id behind a zoneinfo path, such as
// "/usr/share/zoneinfo/Europe/Berlin" or "../usr/share/zoneinfo/Europe/Berlin".
std::optional<std::string> zoneIdFromPath(const std::string& path) {
    constexpr std::string_view kMarker = "zoneinfo/";
    const auto at = path.rfind(kMarker);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::string id = path.substr(at + kMarker.size());
    // The "posix/" tree holds the same zones under a prefix.
    if (id.rfind("posix/", 0) == 0) {
        id = id.substr(6);
    }
    return id;
}

std::unique_ptr<Calendar> fromTzVariable(std::string value, const std::string& locale) {
    if (!value.empty() && value.front() == ':') {
        value.erase(0, 1);
    }
    if (value.empty()) {
        return Calendar::make("UTC", locale);
    }
    if (value.front() == '/') {
        if (auto id = zoneIdFromPath(value)) {
            if (auto calendar = Calendar::make(*id, locale)) {
                return calendar;
            }
        }
        if (auto zone = loadZoneFile(value, value)) {
            return assemble(value, std::move(zone), locale);
        }
        return nullptr;
    }
    if (auto calendar = Calendar::make(value, locale)) {
        return calendar;
    }
    if (const auto posix = parsePosixTimeZone(value)) {
        if (auto zone = makeIcuZone(value, *posix)) {
            return assemble(value, std::move(zone), locale);
        }
    }
    return nullptr;
}

std::unique_ptr<Calendar> fromSystemSettings(const std::string& locale) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/etc/localtime", error);
    if (!error) {
        if (auto id = zoneIdFromPath(target.string())) {
            if (auto calendar = Calendar::make(*id, locale)) {
                return calendar;
            }
        }
    }
    std::ifstream timezoneFile("/etc/timezone");
    std::string id;
    if (timezoneFile && std::getline(timezoneFile, id)) {
        if (auto calendar = Calendar::make(id, locale)) {
            return calendar;
        }
    }
    if (auto zone = loadZoneFile("localtime", "/etc/localtime")) {
        return assemble("localtime", std::move(zone), locale);
    }
    return nullptr;
}

}  // namespace

Calendar::Calendar(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Calendar::~Calendar() = default;

std::unique_ptr<Calendar> Calendar::make(std::string_view zoneId, std::string_view localeId) {
    auto zone = icuZone(zoneId);
    if (!zone) {
        return nullptr;
    }
    return assemble(std::string(zoneId), std::move(zone), localeId);
}

std::unique_ptr<Calendar> Calendar::current() {
    return std::make_unique<Calendar>(nullptr);
}

Calendar::Impl& Calendar::impl() const {
    if (!impl_)
        impl_ = std::move(resolveCurrent()->impl_);
    return *impl_;
}

std::unique_ptr<Calendar> Calendar::resolveCurrent() {
    const std::string locale = localeFromEnvironment();
    std::unique_ptr<Calendar> calendar;
    if (const char* tz = std::getenv("TZ")) {
        calendar = fromTzVariable(tz, locale);
    } else {
        calendar = fromSystemSettings(locale);
    }
    if (!calendar) {
        calendar = make("UTC", locale);
    }
    if (!calendar) {
        calendar = make("UTC", "en_US_POSIX");
    }
    return calendar;
}

const std::string& Calendar::zoneId() const {
    return impl().zoneId;
}
const std::string& Calendar::localeId() const {
    return impl().localeId;
}
int Calendar::firstWeekday() const {
    return impl().firstWeekday;
}

bool Calendar::inRange(Date date) {
    const double unix = date.toUnix();
    return std::isfinite(unix) && unix >= kMinUnix && unix < kMaxUnix;
}

Date Calendar::startOfDay(Date date) const {
    const auto civil = civilDate(date);
    if (!civil) {
        return date;
    }
    return compose(civil->year, civil->month, civil->day, 0, 0, 0).value_or(date);
}

int Calendar::year(Date date) const {
    return fieldOf(impl(), date, UCAL_EXTENDED_YEAR);
}
int Calendar::month(Date date) const {
    return setTo(impl(), date) ? field(impl(), UCAL_MONTH).value_or(-1) + 1 : 0;
}
int Calendar::day(Date date) const {
    return fieldOf(impl(), date, UCAL_DATE);
}
int Calendar::weekday(Date date) const {
    return fieldOf(impl(), date, UCAL_DAY_OF_WEEK);
}
int Calendar::hour(Date date) const {
    return fieldOf(impl(), date, UCAL_HOUR_OF_DAY);
}
int Calendar::minute(Date date) const {
    return fieldOf(impl(), date, UCAL_MINUTE);
}
int Calendar::second(Date date) const {
    return fieldOf(impl(), date, UCAL_SECOND);
}

std::optional<CivilDate> Calendar::civilDate(Date date) const {
    const auto local = localTime(date);
    if (!local) {
        return std::nullopt;
    }
    return local->date;
}

std::optional<std::int64_t> Calendar::dayNumber(Date date) const {
    const auto local = localTime(date);
    if (!local) {
        return std::nullopt;
    }
    return local->dayNumber;
}

std::optional<Calendar::LocalTime> Calendar::localTime(Date date) const {
    auto& remembered = impl().localTimes;
    if (const auto found = remembered.find(date.secondsSinceReference); found != remembered.end()) {
        return found->second;
    }
    if (!setTo(impl(), date)) {  // also keeps NaN out of the map
        return std::nullopt;
    }
    const auto julianDay = field(impl(), UCAL_JULIAN_DAY);
    const auto year = field(impl(), UCAL_EXTENDED_YEAR);
    const auto month = field(impl(), UCAL_MONTH);
    const auto day = field(impl(), UCAL_DATE);
    if (!julianDay || !year || !month || !day) {
        return std::nullopt;
    }
    const LocalTime local{{*year, *month + 1, *day},
                          *julianDay - kJulianDayOfUnixEpoch,
                          field(impl(), UCAL_HOUR_OF_DAY).value_or(0),
                          field(impl(), UCAL_MINUTE).value_or(0),
                          field(impl(), UCAL_SECOND).value_or(0)};
    makeRoom(remembered);
    remembered.emplace(date.secondsSinceReference, local);
    return local;
}

std::optional<Date> Calendar::compose(std::int64_t year, std::int64_t month, std::int64_t day,
                                      std::int64_t hour, std::int64_t minute,
                                      std::int64_t second) const {
    auto within = [](std::int64_t value, std::int64_t limit) {
        return value >= -limit && value <= limit;
    };
    if (!within(year, kMaxYear) || !within(month, kMaxMonths) || !within(day, kMaxDays) ||
        !within(hour, kMaxHours) || !within(minute, kMaxMinutes) || !within(second, kMaxMinutes)) {
        return std::nullopt;
    }
    auto& remembered = impl().composed;
    const std::array<std::int64_t, 6> key{year, month, day, hour, minute, second};
    if (const auto found = remembered.find(key); found != remembered.end()) {
        return found->second;
    }
    auto& calendar = *impl().calendar;
    // clear() first, or the milliseconds of the last instant leak in.
    calendar.clear();
    calendar.set(UCAL_EXTENDED_YEAR, static_cast<int32_t>(year));
    calendar.set(UCAL_MONTH, static_cast<int32_t>(month - 1));
    calendar.set(UCAL_DATE, static_cast<int32_t>(day));
    calendar.set(UCAL_HOUR_OF_DAY, static_cast<int32_t>(hour));
    calendar.set(UCAL_MINUTE, static_cast<int32_t>(minute));
    calendar.set(UCAL_SECOND, static_cast<int32_t>(second));
    const auto composed = currentTime(impl());
    makeRoom(remembered);
    remembered.emplace(key, composed);
    return composed;
}

std::optional<Date> Calendar::addDays(Date date, std::int64_t days) const {
    return addField(impl(), date, UCAL_DATE, days, kMaxDays);
}

std::optional<std::int64_t> Calendar::monthsBetween(Date from, Date to) const {
    return difference(impl(), from, to, UCAL_MONTH);
}

}  // namespace cadro
