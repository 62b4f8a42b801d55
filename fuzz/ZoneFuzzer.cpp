// Reads arbitrary bytes both as a zone file and as a POSIX TZ string, and
// asks the resulting zone for offsets. Whatever the bytes, nothing may crash
// or hang, and a zone that is built must only ever give the offsets its
// source names, and give each listed change's offset from its instant on.
#include "core/base/ZoneInfo.h"

#include <unicode/tztrans.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

constexpr std::int64_t kFrom = -2208988800;  // 1900-01-01
constexpr std::int64_t kTo = 4133980800;     // 2101-01-01

std::int32_t offsetAt(const icu::BasicTimeZone& zone, std::int64_t unix) {
    std::int32_t raw = 0, saving = 0;
    UErrorCode status = U_ZERO_ERROR;
    zone.getOffset(static_cast<UDate>(unix) * 1000.0, false, raw, saving, status);
    if (U_FAILURE(status) || raw % 1000 != 0 || saving % 1000 != 0)
        std::abort();
    return (raw + saving) / 1000;
}

// Every change the zone makes in two centuries, and a few instants between,
// must have one of the allowed offsets.
void checkOffsets(const icu::BasicTimeZone& zone, const std::vector<std::int32_t>& allowed) {
    auto check = [&](std::int64_t unix) {
        if (std::find(allowed.begin(), allowed.end(), offsetAt(zone, unix)) == allowed.end())
            std::abort();
    };
    for (std::int64_t t = kFrom; t < kTo; t += 86400 * 3653)
        check(t);
    icu::TimeZoneTransition transition;
    UDate after = static_cast<UDate>(kFrom) * 1000.0;
    for (int i = 0; i < 1000 && zone.getNextTransition(after, false, transition) &&
                    transition.getTime() < static_cast<UDate>(kTo) * 1000.0;
         ++i) {
        if (!(transition.getTime() > after))
            std::abort();  // transitions must move forward
        after = transition.getTime();
        check(static_cast<std::int64_t>(after / 1000.0));
    }
}

std::vector<std::int32_t> offsetsOf(const cadro::PosixTimeZone& zone) {
    std::vector<std::int32_t> offsets{zone.standardOffset};
    if (zone.daylight)
        offsets.push_back(zone.daylight->offset);
    return offsets;
}

void fuzzZoneFile(std::string_view bytes) {
    const auto data = cadro::parseTzif(bytes);
    if (!data)
        return;
    if (data->transitionTimes.size() != data->transitionTypes.size() || data->types.empty())
        std::abort();
    const auto zone = cadro::makeIcuZone("fuzz", *data);
    if (!zone)
        return;
    std::vector<std::int32_t> allowed;
    for (const auto& type : data->types)
        allowed.push_back(type.utcOffset);
    if (const auto footer = cadro::parsePosixTimeZone(data->footer)) {
        const auto more = offsetsOf(*footer);
        allowed.insert(allowed.end(), more.begin(), more.end());
    }
    checkOffsets(*zone, allowed);
    for (std::size_t i = 0; i < data->transitionTimes.size(); ++i) {
        const std::int64_t t = data->transitionTimes[i];
        if (t > kFrom && t < kTo &&
            offsetAt(*zone, t) != data->types[data->transitionTypes[i]].utcOffset)
            std::abort();
    }
}

void fuzzTzString(std::string_view text) {
    const auto posix = cadro::parsePosixTimeZone(text);
    if (!posix)
        return;
    if (const auto zone = cadro::makeIcuZone("fuzz", *posix))
        checkOffsets(*zone, offsetsOf(*posix));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzzZoneFile(bytes);
    fuzzTzString(bytes);
    return 0;
}
