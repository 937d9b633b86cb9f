#include "host/posix/readable.hpp"

#include <poll.h>

#include <array>
#include <ctime>

namespace nuv::host::posix {

bool wait_readable(int connection, Waitable signalled, TimePoint until) {
  const Duration left = time_left(until, MonotonicClock::now());
  const auto seconds = std::chrono::floor<std::chrono::seconds>(left);
  const timespec timeout{static_cast<time_t>(seconds.count()),
                         static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
  std::array<pollfd, 2> watched{{{connection, POLLIN, 0}, {signalled, POLLIN, 0}}};
  return ppoll(watched.data(), watched.size(), &timeout, nullptr) > 0 && watched[0].revents != 0;
}

}  // namespace nuv::host::posix
