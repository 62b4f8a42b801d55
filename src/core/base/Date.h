#pragma once

#include <compare>
#include <string>

namespace cadro {

/// An absolute instant: seconds, with fraction, since 2001-01-01 00:00:00 UTC.
/// This is exactly the number stored in the store file.
struct Date {
    /// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
    static constexpr double kUnixOffset = 978307200.0;

    double secondsSinceReference = 0;

    static constexpr Date fromUnix(double unixSeconds) { return Date{unixSeconds - kUnixOffset}; }
    constexpr double toUnix() const { return secondsSinceReference + kUnixOffset; }

    constexpr Date operator+(double seconds) const { return Date{secondsSinceReference + seconds}; }
    constexpr Date operator-(double seconds) const { return Date{secondsSinceReference - seconds}; }
    /// Seconds from `other` to this instant.
    constexpr double operator-(const Date& other) const {
        return secondsSinceReference - other.secondsSinceReference;
    }

    friend constexpr auto operator<=>(const Date&, const Date&) = default;
};

/// "2026-12-06T18:22:26Z": an instant in UTC, to the whole second, for file
/// names and messages.
std::string formatUtcTimestamp(Date date, bool compact = false);

}  // namespace cadro
