#include "core/base/ZoneInfo.h"

#include "core/base/DayNumber.h"

#include <unicode/basictz.h>
#include <unicode/dtrule.h>
#include <unicode/rbtz.h>
#include <unicode/tzrule.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

namespace cadro {
namespace {

// ---- POSIX TZ strings ------------------------------------------------------

class PosixReader {
  public:
    explicit PosixReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    bool peek(char c) const { return !atEnd() && text_[pos_] == c; }
    bool accept(char c) {
        if (peek(c)) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool name() {
        if (accept('<')) {
            const auto close = text_.find('>', pos_);
            if (close == std::string_view::npos || close == pos_) {
                return false;
            }
            pos_ = close + 1;
            return true;
        }
        const std::size_t start = pos_;
        while (!atEnd() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
        return pos_ - start >= 3;
    }

    std::optional<int> number(int maxDigits) {
        int value = 0;
        int digits = 0;
        while (!atEnd() && digits < maxDigits &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++digits;
        }
        return digits == 0 ? std::nullopt : std::optional<int>(value);
    }

    // [+-]hh[:mm[:ss]] in seconds; hours up to `maxHours`.
    std::optional<std::int32_t> duration(int maxHours) {
        int sign = 1;
        if (accept('-')) {
            sign = -1;
        } else {
            accept('+');
        }
        const auto hours = number(3);
        if (!hours || *hours > maxHours) {
            return std::nullopt;
        }
        int minutes = 0;
        int seconds = 0;
        if (accept(':')) {
            const auto m = number(2);
            if (!m || *m > 59) {
                return std::nullopt;
            }
            minutes = *m;
            if (accept(':')) {
                const auto s = number(2);
                if (!s || *s > 59) {
                    return std::nullopt;
                }
                seconds = *s;
            }
        }
        return sign * (*hours * 3600 + minutes * 60 + seconds);
    }

    std::optional<PosixTransitionRule> rule() {
        PosixTransitionRule rule;
        if (accept('J')) {
            const auto day = number(3);
            if (!day || *day < 1 || *day > 365) {
                return std::nullopt;
            }
            rule.kind = PosixTransitionRule::Kind::julianNoLeap;
            rule.day = *day;
        } else if (accept('M')) {
            const auto month = number(2);
            if (!month || *month < 1 || *month > 12 || !accept('.')) {
                return std::nullopt;
            }
            const auto week = number(1);
            if (!week || *week < 1 || *week > 5 || !accept('.')) {
                return std::nullopt;
            }
            const auto weekday = number(1);
            if (!weekday || *weekday > 6) {
                return std::nullopt;
            }
            rule.kind = PosixTransitionRule::Kind::monthWeekDay;
            rule.month = *month;
            rule.week = *week;
            rule.weekday = *weekday;
        } else {
            const auto day = number(3);
            if (!day || *day > 365) {
                return std::nullopt;
            }
            rule.kind = PosixTransitionRule::Kind::zeroBasedDay;
            rule.day = *day;
        }
        if (accept('/')) {
            // RFC 8536 extends the time to -167..167 hours.
            const auto time = duration(167);
            if (!time) {
                return std::nullopt;
            }
            rule.seconds = *time;
        }
        return rule;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// ---- TZif ------------------------------------------------------------------

std::int64_t readBigEndian(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    if (width == 4) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    return static_cast<std::int64_t>(value);
}

struct TzifCounts {
    std::size_t isUt, isStd, leap, time, type, chars;
};

std::optional<TzifCounts> readHeader(std::string_view bytes, std::size_t at) {
    if (bytes.size() < at + 44 || bytes.substr(at, 4) != "TZif") {
        return std::nullopt;
    }
    auto count = [&](int i) {
        return static_cast<std::size_t>(
            static_cast<std::uint32_t>(readBigEndian(bytes, at + 20 + 4 * i, 4)));
    };
    TzifCounts counts{count(0), count(1), count(2), count(3), count(4), count(5)};
    // Sanity limits keep the size arithmetic below far from overflow.
    if (counts.time > 100000 || counts.type == 0 || counts.type > 256 || counts.chars > 100000 ||
        counts.leap > 100000 || counts.isUt > 256 || counts.isStd > 256) {
        return std::nullopt;
    }
    return counts;
}

// Instants before this are folded into the initial rule: ICU's calendar does
// not go that far back, and TZif files may start with a "big bang" time.
constexpr std::int64_t kEarliestTransition = -12000000000;  // about 1589
constexpr std::int64_t kLatestTransition = 253402300799;    // 9999-12-31

// Local day number and time of a POSIX rule's change in a given year, as an
// instant, given the UTC offset in force before the change.
std::optional<std::int64_t> posixTransitionUnix(const PosixTransitionRule& rule, std::int64_t year,
                                                std::int32_t offsetBefore) {
    std::int64_t dayNumber = 0;
    switch (rule.kind) {
        case PosixTransitionRule::Kind::julianNoLeap: {
            std::int64_t month = 1;
            std::int64_t day = rule.day;
            while (day > daysInMonth(2001, month)) {
                day -= daysInMonth(2001, month);
                ++month;
            }
            dayNumber = dayNumberFromCivil({year, month, day});
            break;
        }
        case PosixTransitionRule::Kind::zeroBasedDay:
            dayNumber = dayNumberFromCivil({year, 1, 1}) + rule.day;
            break;
        case PosixTransitionRule::Kind::monthWeekDay: {
            const std::int64_t first = dayNumberFromCivil({year, rule.month, 1});
            const int firstWeekday = weekdayOfDayNumber(first) - 1;
            dayNumber = first + floorMod(rule.weekday - firstWeekday, 7) + 7 * (rule.week - 1);
            const std::int64_t last = first + daysInMonth(year, rule.month) - 1;
            while (dayNumber > last) {
                dayNumber -= 7;
            }
            break;
        }
    }
    return dayNumber * 86400 + rule.seconds - offsetBefore;
}

// ICU looks for a rule's next change from the year an instant lies in, so a
// change that falls into the year before or after its own (a rule at the turn
// of the year, or a time far outside 0-24h) is skipped or found again and
// again. The rules repeat every 400 years.
bool staysInItsYear(const PosixTransitionRule& rule, std::int32_t offsetBefore) {
    for (std::int64_t year = 2000; year < 2400; ++year) {
        const auto time = posixTransitionUnix(rule, year, offsetBefore);
        if (!time || civilFromDayNumber(floorDiv(*time, 86400)).year != year) {
            return false;
        }
    }
    return true;
}

bool icuCanFollow(const PosixTimeZone::Daylight& daylight, std::int32_t standardOffset) {
    return staysInItsYear(daylight.start, standardOffset) &&
           staysInItsYear(daylight.end, daylight.offset);
}

std::unique_ptr<icu::DateTimeRule> toIcuRule(const PosixTransitionRule& rule) {
    const std::int32_t millis = rule.seconds * 1000;
    switch (rule.kind) {
        case PosixTransitionRule::Kind::julianNoLeap: {
            int month = 1;
            int day = rule.day;
            while (day > daysInMonth(2001, month)) {
                day -= daysInMonth(2001, month);
                ++month;
            }
            return std::make_unique<icu::DateTimeRule>(month - 1, day, millis,
                                                       icu::DateTimeRule::WALL_TIME);
        }
        case PosixTransitionRule::Kind::monthWeekDay:
            return std::make_unique<icu::DateTimeRule>(
                rule.month - 1, rule.week == 5 ? -1 : rule.week, rule.weekday + 1, millis,
                icu::DateTimeRule::WALL_TIME);
        case PosixTransitionRule::Kind::zeroBasedDay:
            // Counts February 29 in leap years; ICU has no such rule. No zone
            // uses it; such a zone falls back to ICU's data.
            return nullptr;
    }
    return nullptr;
}

// ICU splits an offset into raw offset and daylight saving. Only their sum
// matters for wall-clock arithmetic; negative saving (Europe/Dublin's winter)
// is expressed as a change of raw offset, which ICU handles plainly.
struct OffsetSplit {
    std::int32_t raw = 0;
    std::int32_t dst = 0;
    friend auto operator<=>(const OffsetSplit&, const OffsetSplit&) = default;
};

OffsetSplit split(std::int32_t standard, std::int32_t total) {
    if (total > standard) {
        return {standard, total - standard};
    }
    return {total, 0};
}

std::unique_ptr<icu::AnnualTimeZoneRule> annualRule(const std::string& name, OffsetSplit offsets,
                                                    const PosixTransitionRule& rule,
                                                    std::int32_t startYear) {
    auto dateRule = toIcuRule(rule);
    if (!dateRule) {
        return nullptr;
    }
    return std::make_unique<icu::AnnualTimeZoneRule>(
        icu::UnicodeString::fromUTF8(name), offsets.raw * 1000, offsets.dst * 1000,
        dateRule.release(), startYear, icu::AnnualTimeZoneRule::MAX_YEAR);
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes;
    // Zone files are a few kilobytes; refuse anything unreasonable. Read in
    // pieces: a buffer the size of the limit costs more than the whole file.
    constexpr std::size_t kMaxSize = 1 << 20;
    char piece[16 * 1024];
    while (in.read(piece, sizeof piece) || in.gcount() > 0) {
        bytes.append(piece, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxSize) {
            return std::nullopt;
        }
    }
    return bytes;
}

bool isPlainZoneId(std::string_view id) {
    if (id.empty() || id.size() > 200 || id.front() == '/' || id.back() == '/') {
        return false;
    }
    std::size_t segmentStart = 0;
    for (std::size_t i = 0; i <= id.size(); ++i) {
        if (i == id.size() || id[i] == '/') {
            const auto segment = id.substr(segmentStart, i - segmentStart);
            if (segment.empty() || segment == "." || segment == "..") {
                return false;
            }
            segmentStart = i + 1;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(id[i]);
        if (!std::isalnum(c) && c != '_' && c != '-' && c != '+') {
            return false;
        }
    }
    // "right/" zones count leap seconds; they are not civil time.
    return id.rfind("right/", 0) != 0;
}

}  // namespace

std::optional<PosixTimeZone> parsePosixTimeZone(std::string_view text) {
    PosixReader reader(text);
    PosixTimeZone zone;
    if (!reader.name()) {
        return std::nullopt;
    }
    const auto standard = reader.duration(24);
    if (!standard) {
        return std::nullopt;
    }
    zone.standardOffset = -*standard;
    if (reader.atEnd()) {
        return zone;
    }
    if (!reader.name()) {
        return std::nullopt;
    }
    PosixTimeZone::Daylight daylight;
    daylight.offset = zone.standardOffset + 3600;
    if (!reader.atEnd() && !reader.peek(',')) {
        const auto offset = reader.duration(24);
        if (!offset) {
            return std::nullopt;
        }
        daylight.offset = -*offset;
    }
    if (reader.accept(',')) {
        const auto start = reader.rule();
        if (!start || !reader.accept(',')) {
            return std::nullopt;
        }
        const auto end = reader.rule();
        if (!end) {
            return std::nullopt;
        }
        daylight.start = *start;
        daylight.end = *end;
    } else {
        // POSIX leaves the default open; glibc uses the US rules.
        daylight.start = {PosixTransitionRule::Kind::monthWeekDay, 0, 3, 2, 0, 7200};
        daylight.end = {PosixTransitionRule::Kind::monthWeekDay, 0, 11, 1, 0, 7200};
    }
    if (!reader.atEnd()) {
        return std::nullopt;
    }
    zone.daylight = daylight;
    return zone;
}

std::optional<TzifData> parseTzif(std::string_view bytes) {
    const auto v1 = readHeader(bytes, 0);
    if (!v1 || bytes[4] < '2') {
        return std::nullopt;
    }
    const std::size_t v1Size =
        v1->time * 5 + v1->type * 6 + v1->chars + v1->leap * 8 + v1->isStd + v1->isUt;
    const std::size_t at = 44 + v1Size;
    const auto counts = readHeader(bytes, at);
    if (!counts || counts->leap != 0) {
        return std::nullopt;
    }
    const std::size_t timesAt = at + 44;
    const std::size_t typesIndexAt = timesAt + counts->time * 8;
    const std::size_t typesAt = typesIndexAt + counts->time;
    const std::size_t dataEnd =
        typesAt + counts->type * 6 + counts->chars + counts->isStd + counts->isUt;
    if (bytes.size() < dataEnd) {
        return std::nullopt;
    }
    TzifData data;
    for (std::size_t i = 0; i < counts->time; ++i) {
        const std::int64_t time = readBigEndian(bytes, timesAt + 8 * i, 8);
        const auto type = static_cast<std::uint8_t>(bytes[typesIndexAt + i]);
        if (type >= counts->type ||
            (!data.transitionTimes.empty() && time <= data.transitionTimes.back())) {
            return std::nullopt;
        }
        data.transitionTimes.push_back(time);
        data.transitionTypes.push_back(type);
    }
    for (std::size_t i = 0; i < counts->type; ++i) {
        const auto offset = static_cast<std::int32_t>(readBigEndian(bytes, typesAt + 6 * i, 4));
        // RFC 8536: -2^31 is not allowed; real offsets stay within a day.
        if (offset <= -86400 || offset >= 86400) {
            return std::nullopt;
        }
        data.types.push_back({offset, bytes[typesAt + 6 * i + 4] != 0});
    }
    if (dataEnd < bytes.size() && bytes[dataEnd] == '\n') {
        const auto close = bytes.find('\n', dataEnd + 1);
        if (close != std::string_view::npos) {
            data.footer = std::string(bytes.substr(dataEnd + 1, close - dataEnd - 1));
        }
    }
    return data;
}

std::unique_ptr<icu::BasicTimeZone> makeIcuZone(std::string_view id, const TzifData& data) {
    // The footer governs every instant after the last transition; an empty one
    // means the file does not say, and a broken one means we cannot follow it.
    std::optional<PosixTimeZone> footer;
    if (!data.footer.empty()) {
        footer = parsePosixTimeZone(data.footer);
        if (!footer ||
            (footer->daylight && !icuCanFollow(*footer->daylight, footer->standardOffset))) {
            return nullptr;
        }
    }

    std::size_t first = 0;
    std::size_t initialType = 0;
    while (first < data.transitionTimes.size() &&
           data.transitionTimes[first] < kEarliestTransition) {
        initialType = data.transitionTypes[first];
        ++first;
    }
    std::size_t last = first;
    while (last < data.transitionTimes.size() && data.transitionTimes[last] <= kLatestTransition) {
        ++last;
    }

    // The standard offset behind a daylight type is that of the nearest
    // standard period, preferring the one before.
    auto standardNear = [&](std::size_t position, std::int32_t fallback) {
        for (std::size_t i = position; i-- > first;) {
            const auto& type = data.types[data.transitionTypes[i]];
            if (!type.isDst) {
                return type.utcOffset;
            }
        }
        if (!data.types[initialType].isDst) {
            return data.types[initialType].utcOffset;
        }
        for (std::size_t i = position; i < last; ++i) {
            const auto& type = data.types[data.transitionTypes[i]];
            if (!type.isDst) {
                return type.utcOffset;
            }
        }
        return fallback;
    };
    auto splitAt = [&](std::size_t position, std::size_t typeIndex) {
        const auto& type = data.types[typeIndex];
        if (!type.isDst) {
            return OffsetSplit{type.utcOffset, 0};
        }
        return split(standardNear(position, type.utcOffset), type.utcOffset);
    };

    std::map<OffsetSplit, std::vector<UDate>> starts;
    for (std::size_t i = first; i < last; ++i) {
        starts[splitAt(i, data.transitionTypes[i])].push_back(
            static_cast<UDate>(data.transitionTimes[i]) * 1000.0);
    }

    // Changes the footer makes later in the year of the last transition are
    // listed explicitly, so that the annual rules can start the year after and
    // never interleave with the file's own history.
    std::int64_t finalStartYear = 1;
    OffsetSplit standardSplit, daylightSplit;
    if (footer && footer->daylight) {
        standardSplit = split(footer->standardOffset, footer->standardOffset);
        daylightSplit = split(footer->standardOffset, footer->daylight->offset);
        if (last > first) {
            const std::int64_t lastTime = data.transitionTimes[last - 1];
            const std::int64_t year = civilFromDayNumber(floorDiv(lastTime, 86400)).year;
            finalStartYear = year + 1;
            const auto start =
                posixTransitionUnix(footer->daylight->start, year, footer->standardOffset);
            const auto end =
                posixTransitionUnix(footer->daylight->end, year, footer->daylight->offset);
            std::vector<std::pair<std::int64_t, OffsetSplit>> extra;
            if (start && *start > lastTime) {
                extra.emplace_back(*start, daylightSplit);
            }
            if (end && *end > lastTime) {
                extra.emplace_back(*end, standardSplit);
            }
            std::sort(extra.begin(), extra.end());
            for (const auto& [time, offsets] : extra) {
                starts[offsets].push_back(static_cast<UDate>(time) * 1000.0);
            }
        }
    }

    const OffsetSplit initial = splitAt(first, initialType);
    auto zone = std::make_unique<icu::RuleBasedTimeZone>(
        icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<int32_t>(id.size()))),
        new icu::InitialTimeZoneRule(u"initial", initial.raw * 1000, initial.dst * 1000));
    UErrorCode status = U_ZERO_ERROR;
    int ruleNumber = 0;
    for (auto& [offsets, times] : starts) {
        std::sort(times.begin(), times.end());
        const std::string name = "r" + std::to_string(ruleNumber++);
        zone->addTransitionRule(
            new icu::TimeArrayTimeZoneRule(
                icu::UnicodeString::fromUTF8(name), offsets.raw * 1000, offsets.dst * 1000,
                times.data(), static_cast<int32_t>(times.size()), icu::DateTimeRule::UTC_TIME),
            status);
    }
    if (footer && footer->daylight) {
        const auto startYear = static_cast<std::int32_t>(finalStartYear);
        auto daylightRule =
            annualRule("daylight", daylightSplit, footer->daylight->start, startYear);
        auto standardRule = annualRule("standard", standardSplit, footer->daylight->end, startYear);
        if (!daylightRule || !standardRule) {
            return nullptr;
        }
        zone->addTransitionRule(daylightRule.release(), status);
        zone->addTransitionRule(standardRule.release(), status);
    }
    zone->complete(status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return zone;
}

std::unique_ptr<icu::BasicTimeZone> makeIcuZone(std::string_view id, const PosixTimeZone& zone) {
    auto icuZone = std::make_unique<icu::RuleBasedTimeZone>(
        icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<int32_t>(id.size()))),
        new icu::InitialTimeZoneRule(u"initial", zone.standardOffset * 1000, 0));
    UErrorCode status = U_ZERO_ERROR;
    if (zone.daylight) {
        if (!icuCanFollow(*zone.daylight, zone.standardOffset)) {
            return nullptr;
        }
        const OffsetSplit standardSplit = split(zone.standardOffset, zone.standardOffset);
        const OffsetSplit daylightSplit = split(zone.standardOffset, zone.daylight->offset);
        auto daylightRule = annualRule("daylight", daylightSplit, zone.daylight->start, 1);
        auto standardRule = annualRule("standard", standardSplit, zone.daylight->end, 1);
        if (!daylightRule || !standardRule) {
            return nullptr;
        }
        icuZone->addTransitionRule(daylightRule.release(), status);
        icuZone->addTransitionRule(standardRule.release(), status);
    }
    icuZone->complete(status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return icuZone;
}

std::unique_ptr<icu::BasicTimeZone> loadZoneFile(std::string_view id, const std::string& path) {
    const auto bytes = readFile(path);
    if (!bytes) {
        return nullptr;
    }
    const auto data = parseTzif(*bytes);
    if (!data) {
        return nullptr;
    }
    return makeIcuZone(id, *data);
}

std::unique_ptr<icu::BasicTimeZone> loadSystemZone(std::string_view id,
                                                   const std::string& zoneinfoDir) {
    if (!isPlainZoneId(id)) {
        return nullptr;
    }
    return loadZoneFile(id, zoneinfoDir + "/" + std::string(id));
}

}  // namespace cadro
