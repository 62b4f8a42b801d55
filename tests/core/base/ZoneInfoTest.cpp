#include "core/base/Calendar.h"
#include "core/base/ZoneInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

namespace cadro {
namespace {

// Checks the local time our calendar gives each instant `zdump -v` lists (the
// second before and the second of every transition) against zdump's own.
void expectMatchesZdump(const std::string& zone) {
    SCOPED_TRACE(zone);
    auto calendar = Calendar::make(zone, "en_US");
    ASSERT_NE(calendar, nullptr);
    const std::string command = "zdump -v -c 1970,2060 '" + zone + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    char buffer[512];
    int lines = 0;
    int mismatches = 0;
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        const std::string text(buffer);
        const auto equals = text.find(" UT = ");
        std::tm utc{};
        std::tm local{};
        // Lines without both times are the "NULL" lines at the ends of time.
        if (equals == std::string::npos ||
            !strptime(text.c_str() + zone.size(), " %a %b %d %H:%M:%S %Y", &utc) ||
            !strptime(text.c_str() + equals + 6, "%a %b %d %H:%M:%S %Y", &local)) {
            continue;
        }
        ++lines;
        const Date date = Date::fromUnix(static_cast<double>(timegm(&utc)));
        const auto civil = calendar->civilDate(date);
        ASSERT_TRUE(civil.has_value());
        const bool same = civil->year == local.tm_year + 1900 && civil->month == local.tm_mon + 1 &&
                          civil->day == local.tm_mday && calendar->hour(date) == local.tm_hour &&
                          calendar->minute(date) == local.tm_min &&
                          calendar->second(date) == local.tm_sec;
        if (!same && ++mismatches <= 3)
            ADD_FAILURE() << "differs from zdump: " << text;
    }
    EXPECT_GT(lines, 0) << "zdump gave nothing";
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
        expectMatchesZdump(zone);
    }
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
