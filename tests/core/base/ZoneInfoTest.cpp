#include "core/base/Calendar.h"
#include "core/base/ZoneInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace cadro {
namespace {

// One line of `zdump -v`: an instant and the local time the system gives it.
struct ZdumpLine {
    std::int64_t unix = 0;
    std::int32_t offset = 0;
    std::string text;
};

std::optional<std::int64_t> parseUtc(std::istringstream& in) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string weekday, monthName, clock;
    int day = 0, year = 0;
    if (!(in >> weekday >> monthName >> day >> clock >> year)) {
        return std::nullopt;
    }
    std::tm tm{};
    for (int i = 0; i < 12; ++i) {
        if (monthName == kMonths[i]) {
            tm.tm_mon = i;
        }
    }
    tm.tm_year = year - 1900;
    tm.tm_mday = day;
    if (std::sscanf(clock.c_str(), "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 3) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(timegm(&tm));
}

std::vector<ZdumpLine> runZdump(const std::string& zone, int fromYear, int toYear) {
    const std::string command = "zdump -v -c " + std::to_string(fromYear) + "," +
                                std::to_string(toYear) + " '" + zone + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::vector<ZdumpLine> lines;
    if (!pipe) {
        return lines;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        std::string text(buffer);
        if (text.find(" UT = ") == std::string::npos) {
            continue;  // the "NULL" lines at the ends of time
        }
        std::istringstream in(text);
        std::string name;
        in >> name;
        const auto unix = parseUtc(in);
        const auto offsetAt = text.find("gmtoff=");
        if (!unix || offsetAt == std::string::npos) {
            continue;
        }
        lines.push_back({*unix, std::atoi(text.c_str() + offsetAt + 7), text});
    }
    return lines;
}

// Checks the local time our calendar gives each instant zdump lists (the
// second before and the second of every transition) against zdump's.
void expectMatchesZdump(const std::string& zone, int fromYear, int toYear,
                        bool expectTransitions = true) {
    SCOPED_TRACE(zone);
    auto calendar = Calendar::make(zone, "en_US");
    ASSERT_NE(calendar, nullptr);
    const auto lines = runZdump(zone, fromYear, toYear);
    if (expectTransitions) {
        ASSERT_FALSE(lines.empty()) << "zdump gave nothing";
    }
    int mismatches = 0;
    for (const auto& line : lines) {
        const Date date = Date::fromUnix(static_cast<double>(line.unix));
        const std::time_t local = static_cast<std::time_t>(line.unix + line.offset);
        std::tm expected{};
        gmtime_r(&local, &expected);
        const auto civil = calendar->civilDate(date);
        ASSERT_TRUE(civil.has_value());
        const bool same =
            civil->year == expected.tm_year + 1900 && civil->month == expected.tm_mon + 1 &&
            civil->day == expected.tm_mday && calendar->hour(date) == expected.tm_hour &&
            calendar->minute(date) == expected.tm_min && calendar->second(date) == expected.tm_sec;
        if (!same && ++mismatches <= 3) {
            ADD_FAILURE() << "differs from zdump: " << line.text << "  we say " << civil->year
                          << "-" << civil->month << "-" << civil->day << " " << calendar->hour(date)
                          << ":" << calendar->minute(date);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ZoneInfoTest, MatchesZdumpForZonesChangedSinceIcusRules) {
    // Zones whose rules changed after 2022 (ICU's data here is from then),
    // and zones with unusual footers: negative saving (Dublin), 30-minute
    // saving (Lord Howe), changes at 24:00, 25:00 or 50:00 local time
    // (Santiago, Jerusalem, Gaza), a two-hour saving (Troll), a zone ICU's
    // data does not know at all (Ciudad_Juarez).
    for (const char* zone :
         {"America/Mexico_City", "Africa/Cairo", "America/Asuncion", "Asia/Almaty", "America/Nuuk",
          "America/Godthab", "America/Ciudad_Juarez", "Europe/Berlin", "America/New_York",
          "Europe/Dublin", "Australia/Lord_Howe", "Asia/Gaza", "Asia/Jerusalem", "America/Santiago",
          "Antarctica/Troll", "Pacific/Chatham", "Africa/Casablanca"}) {
        expectMatchesZdump(zone, 1970, 2060);
    }
}

TEST(ZoneInfoTest, EveryZoneMatchesZdumpWhenAsked) {
    // The full sweep takes a while; run it with CADRO_ZDUMP_ALL=1.
    if (std::getenv("CADRO_ZDUMP_ALL") == nullptr) {
        GTEST_SKIP() << "set CADRO_ZDUMP_ALL=1 to compare every zone";
    }
    const std::filesystem::path root = "/usr/share/zoneinfo";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string id = std::filesystem::relative(entry.path(), root).string();
        if (!entry.is_regular_file() || id.rfind("posix/", 0) == 0 || id.rfind("right/", 0) == 0) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        char magic[4] = {};
        if (!in.read(magic, 4) || std::string(magic, 4) != "TZif") {
            continue;
        }
        expectMatchesZdump(id, 1900, 2100, false);
    }
}

TEST(ZoneInfoTest, MexicoCityKeepsStandardTimeIn2026) {
    // Mexico dropped daylight saving in late 2022; ICU's own rules still have it.
    auto calendar = Calendar::make("America/Mexico_City", "en_US");
    ASSERT_NE(calendar, nullptr);
    const auto noon = calendar->compose(2026, 7, 1, 12, 0, 0);
    ASSERT_TRUE(noon.has_value());
    EXPECT_EQ(noon->toUnix(), 1782928800);  // 2026-07-01T18:00Z, UTC-6
}

TEST(ZoneInfoTest, ParsesPosixStrings) {
    struct Row {
        const char* text;
        bool valid;
        std::int32_t standard;
        std::optional<std::int32_t> daylight;
    };
    const Row rows[] = {
        {"UTC0", true, 0, std::nullopt},
        {"<-03>3", true, -10800, std::nullopt},
        {"CET-1CEST,M3.5.0,M10.5.0/3", true, 3600, 7200},
        {"NST3:30NDT,M3.2.0,M11.1.0", true, -12600, -9000},
        {"IST-1GMT0,M10.5.0,M3.5.0/1", true, 3600, 0},
        {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", true, -7200, -3600},
        {"EST5EDT", true, -18000, -14400},
        {"", false, 0, std::nullopt},
        {"CET", false, 0, std::nullopt},
        {"CET-1CEST,M13.5.0,M10.5.0", false, 0, std::nullopt},
        {"CET-1CEST,M3.5.0", false, 0, std::nullopt},
        {"<+03-3", false, 0, std::nullopt},
        {"AB-1", false, 0, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto zone = parsePosixTimeZone(row.text);
        ASSERT_EQ(zone.has_value(), row.valid);
        if (!zone) {
            continue;
        }
        EXPECT_EQ(zone->standardOffset, row.standard);
        ASSERT_EQ(zone->daylight.has_value(), row.daylight.has_value());
        if (zone->daylight) {
            EXPECT_EQ(zone->daylight->offset, *row.daylight);
        }
    }
}

TEST(ZoneInfoTest, RejectsDamagedFiles) {
    std::ifstream in("/usr/share/zoneinfo/Europe/Berlin", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(parseTzif(bytes).has_value());
    // Every truncation either parses or is refused; none may read past the end.
    for (std::size_t size = 0; size < bytes.size(); size += 7) {
        (void)parseTzif(std::string_view(bytes).substr(0, size));
    }
    EXPECT_FALSE(parseTzif(std::string_view(bytes).substr(0, 60)).has_value());
    EXPECT_FALSE(parseTzif("TZif2 not really").has_value());
    // Paths that try to leave the zoneinfo folder are not zone ids.
    EXPECT_EQ(loadSystemZone("../../etc/passwd"), nullptr);
    EXPECT_EQ(loadSystemZone("/etc/localtime"), nullptr);
    EXPECT_EQ(Calendar::make("Mars/Olympus_Mons", "en_US"), nullptr);
}

}  // namespace
}  // namespace cadro
