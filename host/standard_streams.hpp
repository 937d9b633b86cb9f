#pragma once
// Standard input, output and error made ready before the program uses them.
//
// On Windows a program with a window of its own starts with no standard output or error: started
// from a command prompt, it writes to that prompt's console, so that --help, --version and the
// error messages reach the user there as on Linux. On POSIX systems a stream the program was
// started without is opened on /dev/null, so that no descriptor the program opens later (the
// signals' pipe, say) takes its number and receives what is written to the stream.

namespace nuv::host {

void ready_standard_streams();

}  // namespace nuv::host
