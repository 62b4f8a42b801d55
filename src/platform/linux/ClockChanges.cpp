#include "platform/linux/ClockChanges.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <sys/types.h>
#include <cerrno>
#include <cstdint>
#include <ctime>

namespace cadro {

ClockChanges::ClockChanges() {
    fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    arm();
}

ClockChanges::~ClockChanges() {
    if (fd_ >= 0)
        ::close(fd_);
}

void ClockChanges::arm() {
    if (fd_ < 0)
        return;
    // A timer far in the future that never fires: the kernel cancels it, and
    // wakes the reader, whenever the wall clock is set or resumes from sleep.
    constexpr std::time_t kYear2100 = 4'102'444'800;
    itimerspec far{};
    far.it_value.tv_sec = kYear2100;
    if (::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void ClockChanges::acknowledge() {
    if (fd_ < 0)
        return;
    std::uint64_t expirations = 0;
    ssize_t got = 0;
    do {
        got = ::read(fd_, &expirations, sizeof expirations);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        // The far timer itself ran out (a clock past 2100): stop listening
        // rather than wake up again at once.
        ::close(fd_);
        fd_ = -1;
        return;
    }
    arm();  // ECANCELED: the clock was set
}

}  // namespace cadro
