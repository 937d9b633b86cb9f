#pragma once
// The frame wait of the Linux window systems: sleeping on the window system's connection and the
// ending signals' descriptor at once.

#include "host/clock.hpp"
#include "host/waitable.hpp"

namespace nuv::host::posix {

// Sleeps until `connection` or `signalled` (-1 for none) has something to read or `until` has
// come; true when the connection has. A moment passed already only looks.
bool wait_readable(int connection, Waitable signalled, TimePoint until);

}  // namespace nuv::host::posix
