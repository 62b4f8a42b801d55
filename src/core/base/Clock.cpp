#include "core/base/Clock.h"

#include <chrono>

namespace cadro {

Date SystemClock::now() const {
    using namespace std::chrono;
    auto sinceEpoch = duration_cast<duration<double>>(system_clock::now().time_since_epoch());
    return Date::fromUnix(sinceEpoch.count());
}

const SystemClock& SystemClock::instance() {
    static const SystemClock clock;
    return clock;
}

}  // namespace cadro
