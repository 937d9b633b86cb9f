#pragma once
// What a frame wait watches besides its window system, to wake when the program is asked to end:
// a descriptor that becomes readable, on Windows an event handle that becomes signalled.

namespace nuv::host {

#ifdef _WIN32
using Waitable = void*;
#else
using Waitable = int;
#endif

}  // namespace nuv::host
