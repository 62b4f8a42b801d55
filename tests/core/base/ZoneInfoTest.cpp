#include "core/base/ZoneInfo.h"

#include "core/base/Calendar.h"
#include "core/base/DayNumber.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unicode/tztrans.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace cadro {
namespace {

namespace fs = std::filesystem;

constexpr const char* kZoneinfo = "/usr/share/zoneinfo";
constexpr std::int64_t kFrom = -2208988800;  // 1900-01-01
constexpr std::int64_t kTo = 4133980800;     // 2101-01-01

struct ZoneFile {
    std::string id;
    std::string bytes;
};

// One file per distinct content: links and hard links name the same data,
// posix/ repeats the tree and right/ counts leap seconds (not civil time).
std::vector<ZoneFile> systemZoneFiles() {
    std::vector<ZoneFile> files;
    for (auto it = fs::recursive_directory_iterator(kZoneinfo); it != fs::end(it); ++it) {
        const auto name = it->path().filename();
        if (it->is_directory() && (name == "posix" || name == "right")) {
            it.disable_recursion_pending();
        } else if (it->is_regular_file() && !it->is_symlink()) {
            auto bytes = testing::readFile(it->path());
            if (bytes.rfind("TZif", 0) == 0)
                files.push_back({fs::relative(it->path(), kZoneinfo).string(), std::move(bytes)});
        }
    }
    std::sort(files.begin(), files.end(), [](auto& a, auto& b) { return a.id < b.id; });
    std::set<std::string> seen;
    std::erase_if(files, [&](const ZoneFile& file) { return !seen.insert(file.bytes).second; });
    return files;
}

// A TZif file (version 2) with the given types and transitions.
std::string tzif(const std::vector<TzifData::Type>& types,
                 const std::vector<std::pair<std::int64_t, std::uint8_t>>& transitions,
                 const std::string& footer) {
    auto put = [](std::string& out, std::uint64_t value, int width) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
            out += static_cast<char>((value >> shift) & 0xff);
    };
    auto header = [&](std::string& out, std::size_t times, std::size_t typeCount) {
        out += "TZif2";
        out.append(15, '\0');
        for (std::size_t count :
             {std::size_t{0}, std::size_t{0}, std::size_t{0}, times, typeCount, std::size_t{4}})
            put(out, count, 4);
    };
    std::string out;
    header(out, 0, 1);  // the 32-bit block, which readers of version 2 skip
    out.append(6, '\0');
    out += "ABC";
    out += '\0';
    header(out, transitions.size(), types.size());
    for (const auto& transition : transitions)
        put(out, static_cast<std::uint64_t>(transition.first), 8);
    for (const auto& transition : transitions)
        out += static_cast<char>(transition.second);
    for (const auto& type : types) {
        put(out, static_cast<std::uint32_t>(type.utcOffset), 4);
        out += static_cast<char>(type.isDst);
        out += '\0';
    }
    out += "ABC";
    out += '\0';
    return out + "\n" + footer + "\n";
}

struct Offset {
    std::int32_t total = 0;
    bool dst = false;
};

Offset glibcOffset(std::int64_t unix) {
    const auto time = static_cast<std::time_t>(unix);
    std::tm local{};
    localtime_r(&time, &local);
    return {static_cast<std::int32_t>(local.tm_gmtoff), local.tm_isdst > 0};
}

Offset cadroOffset(const icu::BasicTimeZone& zone, std::int64_t unix) {
    std::int32_t raw = 0, saving = 0;
    UErrorCode status = U_ZERO_ERROR;
    zone.getOffset(static_cast<UDate>(unix) * 1000.0, false, raw, saving, status);
    EXPECT_TRUE(U_SUCCESS(status));
    return {(raw + saving) / 1000, saving != 0};
}

// The instants to compare: a grid through two centuries, and the second
// before and of every change, both those the file lists and those our zone
// makes (which include the footer rule's, past the file's last transition).
std::vector<std::int64_t> instantsToCheck(const icu::BasicTimeZone& zone, const TzifData& data) {
    std::vector<std::int64_t> instants;
    for (std::int64_t t = kFrom; t < kTo; t += 3000017)
        instants.push_back(t);
    auto addChange = [&](std::int64_t t) {
        if (t > kFrom && t < kTo) {
            instants.push_back(t - 1);
            instants.push_back(t);
        }
    };
    for (const auto t : data.transitionTimes)
        addChange(t);
    icu::TimeZoneTransition transition;
    UDate after = static_cast<UDate>(kFrom) * 1000.0;
    while (zone.getNextTransition(after, false, transition) &&
           transition.getTime() < kTo * 1000.0) {
        if (!(transition.getTime() > after)) {
            ADD_FAILURE() << "the changes stop moving forward at " << after / 1000.0;
            break;
        }
        after = transition.getTime();
        addChange(static_cast<std::int64_t>(after / 1000.0));
    }
    return instants;
}

// The C library reads the same files independently. Our zone must give the
// same offset from UTC at every instant checked, for every zone installed.
// Only positive saving is daylight time to ICU (negative saving, as in
// Dublin's winter, is a change of standard offset), so where we report
// saving the C library must report daylight time, not the other way round.
TEST(ZoneInfoTest, EveryInstalledZoneAgreesWithTheCLibrary) {
    const auto files = systemZoneFiles();
    ASSERT_GT(files.size(), 300u) << "tzdata is not installed";
    for (const auto& file : files) {
        SCOPED_TRACE(file.id);
        const auto data = parseTzif(file.bytes);
        ASSERT_TRUE(data.has_value());
        const auto zone = loadSystemZone(file.id, kZoneinfo);
        ASSERT_NE(zone, nullptr);
        ::setenv("TZ", (":" + file.id).c_str(), 1);
        ::tzset();
        int failures = 0;
        for (const auto instant : instantsToCheck(*zone, *data)) {
            const Offset expected = glibcOffset(instant);
            const Offset actual = cadroOffset(*zone, instant);
            if (actual.total != expected.total || (actual.dst && !expected.dst)) {
                ADD_FAILURE() << "at unix " << instant << ": offset " << actual.total
                              << (actual.dst ? " (daylight)" : "") << ", the C library says "
                              << expected.total << (expected.dst ? " (daylight)" : "");
                if (++failures == 3)
                    break;
            }
        }
    }
    ::unsetenv("TZ");
    ::tzset();
}

// Made-up files for what no installed zone has.
TEST(ZoneInfoTest, ReadsMadeUpFiles) {
    struct Row {
        const char* name;
        std::string bytes;
        // Offsets at instants; none when the file must give no zone.
        std::vector<std::pair<std::int64_t, std::int32_t>> offsets;
    };
    const Row rows[] = {
        // RFC 8536: type 0 is in force before the first transition, even a
        // daylight type (the C library takes the first standard type instead).
        {"daylight type first",
         tzif({{7200, true}, {3600, false}}, {{0, 1}}, "ABC-1"),
         {{-1, 7200}, {0, 3600}}},
        {"offsets within a day",
         tzif({{-86399, false}, {86399, false}}, {{0, 1}}, ""),
         {{-1, -86399}, {0, 86399}}},
        {"offset of a day", tzif({{0, false}, {86400, false}}, {{0, 1}}, ""), {}},
        {"offset of minus a day", tzif({{-86400, false}}, {}, ""), {}},
        {"footer rules alone",
         tzif({{-18000, false}}, {}, "EST5EDT,M3.2.0,M11.1.0"),
         {{0, -18000}, {15552000, -14400}}},
        // The last Friday of April 2026 is the 24th, not May 1, and comes after
        // the file's last transition: the footer takes over within that year.
        {"footer rules later in the last year",
         tzif({{3600, false}}, {{1767225600, 0}}, "XST-1XDT,M4.5.5/0,M10.5.0/3"),
         {{1776945600, 3600}, {1777118400, 7200}}},
        // Daylight time ends at midnight of January 1, which is still
        // December 31 in UTC: ICU's annual rules cannot express that.
        {"footer rules leaving their year", tzif({{0, false}}, {}, "XST-0XDT,J60,J1/0"), {}},
        // Zero-based days count February 29, which ICU's rules cannot.
        {"footer rules ICU cannot follow", tzif({{3600, false}}, {}, "XST-1XDT,59,J300"), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto data = parseTzif(row.bytes);
        const auto zone = data ? makeIcuZone(row.name, *data) : nullptr;
        ASSERT_EQ(zone != nullptr, !row.offsets.empty());
        for (const auto& [instant, offset] : row.offsets)
            EXPECT_EQ(cadroOffset(*zone, instant).total, offset) << instant;
    }
}

// Installed zones' footers are checked against the C library above; these
// are forms none of them uses.
TEST(ZoneInfoTest, ParsesPosixStrings) {
    struct Row {
        const char* text;
        std::int32_t standard;
        std::optional<std::int32_t> daylight;
    };
    const Row rows[] = {
        {"<+0559>-5:59:59", 21599, std::nullopt},
        {"EST5EDT", -18000, -14400},      // US rules by default
        {"XST-1XDT,59,299", 3600, 7200},  // zero-based days
        {"XST-1XDT,M1.1.0,M12.5.0", 3600, 7200},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto zone = parsePosixTimeZone(row.text);
        ASSERT_TRUE(zone.has_value());
        EXPECT_EQ(zone->standardOffset, row.standard);
        EXPECT_EQ(zone->daylight ? std::optional(zone->daylight->offset) : std::nullopt,
                  row.daylight);
    }
    for (const char* bad :
         {"", "CET", "CET-1CEST,M13.5.0,M10.5.0", "CET-1CEST,M0.5.0,M10.5.0", "CET-1CEST,M3.5.0",
          "<+03-3", "AB-1", "XST-", "XST-1XDT,366,299", "XST-1XDT,J0,J300"}) {
        EXPECT_FALSE(parsePosixTimeZone(bad)) << bad;
    }
}

TEST(ZoneInfoTest, JulianDayRulesSkipTheLeapDay) {
    // J60 is March 1 and J300 October 27, leap year or not; J59 and J304 end
    // February and October.
    struct Row {
        const char* text;
        int startMonth, startDay, endMonth, endDay;
    };
    for (const Row& row :
         {Row{"XST-1XDT,J60,J300", 3, 1, 10, 27}, Row{"XST-1XDT,J59,J304", 2, 28, 10, 31}}) {
        const auto zone = makeIcuZone(row.text, *parsePosixTimeZone(row.text));
        ASSERT_TRUE(zone);
        auto hoursAt = [&](int year, int month, int day) {
            const auto noon = dayNumberFromCivil({year, month, day}) * 86400 + 12 * 3600;
            return cadroOffset(*zone, noon).total / 3600;
        };
        for (int year : {2024, 2025}) {
            SCOPED_TRACE(std::string(row.text) + " " + std::to_string(year));
            EXPECT_EQ(hoursAt(year, row.startMonth, row.startDay - 1), 1);
            EXPECT_EQ(hoursAt(year, row.startMonth, row.startDay), 2);
            EXPECT_EQ(hoursAt(year, row.endMonth, row.endDay - 1), 2);
            EXPECT_EQ(hoursAt(year, row.endMonth, row.endDay), 1);
        }
    }
}

TEST(ZoneInfoTest, RejectsDamagedFiles) {
    // The fuzzer tries damaged files at length; a cut one is refused here.
    EXPECT_FALSE(parseTzif(tzif({{0, false}}, {}, "").substr(0, 60)).has_value());
    EXPECT_FALSE(parseTzif("TZif2 not really").has_value());
    // Paths that try to leave the zoneinfo folder are not zone ids.
    EXPECT_EQ(loadSystemZone("../../etc/passwd"), nullptr);
    EXPECT_EQ(loadSystemZone("Etc/../Europe/Berlin"), nullptr);
    EXPECT_EQ(loadSystemZone("/etc/localtime"), nullptr);
    EXPECT_EQ(Calendar::make("Mars/Olympus_Mons", "en_US"), nullptr);
}

}  // namespace
}  // namespace cadro
