#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/basictz.h>

namespace cadro {

// The system's zone rules (tzdata in /usr/share/zoneinfo) are updated with the
// operating system, while the ICU we link carries whatever rules it was built
// with. Zones whose rules changed since then would be an hour off, so the
// calendar builds its ICU zone from the system's TZif file when there is one.

/// A POSIX TZ rule date: "Jn", "n" or "Mm.w.d", with the time of day it
/// applies at (local time in force before the change; may lie outside 0-24h).
struct PosixTransitionRule {
    enum class Kind { julianNoLeap, zeroBasedDay, monthWeekDay };
    Kind kind = Kind::monthWeekDay;
    int day = 0;      // Jn: 1-365; n: 0-365
    int month = 0;    // Mm.w.d: 1-12
    int week = 0;     // 1-5, 5 = last
    int weekday = 0;  // 0 = Sunday
    std::int32_t seconds = 7200;
};

/// A POSIX TZ string such as "CET-1CEST,M3.5.0,M10.5.0/3". Offsets are
/// seconds east of UTC (the string itself counts westwards).
struct PosixTimeZone {
    std::int32_t standardOffset = 0;
    struct Daylight {
        std::int32_t offset = 0;
        PosixTransitionRule start, end;
    };
    std::optional<Daylight> daylight;
};

std::optional<PosixTimeZone> parsePosixTimeZone(std::string_view text);

/// The contents of a TZif file (version 2 or later, 64-bit data).
struct TzifData {
    struct Type {
        std::int32_t utcOffset = 0;
        bool isDst = false;
    };
    std::vector<std::int64_t> transitionTimes;  // Unix seconds, ascending
    std::vector<std::uint8_t> transitionTypes;  // index into types
    std::vector<Type> types;
    std::string footer;  // POSIX TZ string for times after the last transition
};

/// Nullopt for anything that is not a well-formed TZif file we can use (for
/// example version 1 only, or with leap seconds).
std::optional<TzifData> parseTzif(std::string_view bytes);

/// Builds an ICU zone with the given id from TZif data; null when the data
/// cannot be expressed (the caller then falls back to ICU's own rules).
std::unique_ptr<icu::BasicTimeZone> makeIcuZone(std::string_view id, const TzifData& data);

/// An ICU zone from a POSIX TZ string alone (TZ="CET-1CEST,M3.5.0,M10.5.0/3").
std::unique_ptr<icu::BasicTimeZone> makeIcuZone(std::string_view id, const PosixTimeZone& zone);

/// The system's zone for an id such as "Europe/Berlin", read from
/// `zoneinfoDir`; null when the id is not a plain zone name or has no usable
/// file there.
std::unique_ptr<icu::BasicTimeZone> loadSystemZone(
    std::string_view id, const std::string& zoneinfoDir = "/usr/share/zoneinfo");

/// Reads a TZif file at an absolute path and names the zone `id`.
std::unique_ptr<icu::BasicTimeZone> loadZoneFile(std::string_view id, const std::string& path);

}  // namespace cadro
