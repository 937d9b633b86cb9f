#pragma once
// A Windows program with a window of its own starts with no standard output or error: started
// from a command prompt, it writes to that prompt's console, so that --help, --version and the
// error messages reach the user there as on Linux.

namespace nuv::host {

#ifdef _WIN32
void use_the_starting_console();
#else
inline void use_the_starting_console() {}  // the streams are the process's own already
#endif

}  // namespace nuv::host
