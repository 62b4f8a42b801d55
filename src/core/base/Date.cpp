#include "core/base/Date.h"

#include <cmath>
#include <ctime>

namespace cadro {

std::string formatUtcTimestamp(Date date, bool compact) {
    std::time_t seconds = static_cast<std::time_t>(std::floor(date.toUnix()));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, compact ? "%Y%m%dT%H%M%SZ" : "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

}  // namespace cadro
