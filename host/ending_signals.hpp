#pragma once
// The signals that end a process unless it catches them (SIGINT, SIGTERM and SIGHUP, SIGQUIT,
// SIGUSR1, SIGALRM and the others, on Windows the console's) end the program. While the window
// runs, or an export writes its files, a signal is only noted,
// on a descriptor the frame wait watches, so that the window is released before the process
// ends; at any other time (connecting to the display, the error message box, shutting down) it
// ends the process at once. Either way the shell sees the process ended by that signal.

#include <optional>

#include "host/waitable.hpp"

namespace nuv::host {

class EndingSignals {
 public:
  // Catches the signals, ending at once until deferral is switched on; a signal the program was
  // started with ignored stays ignored.
  EndingSignals();
  // Back to the default actions.
  ~EndingSignals();
  EndingSignals(const EndingSignals&) = delete;
  EndingSignals& operator=(const EndingSignals&) = delete;

  // Readable (on Windows: signalled) once a signal has been noted.
  Waitable descriptor() const;
  // The signal noted while deferred, if any; each note is taken once.
  std::optional<int> take_noted();
  // Note signals from now on (true), or end at once (false), also for one noted already.
  void defer(bool deferred);

  // Ends the process with the signal's default action, as if it had not been caught.
  [[noreturn]] static void end_by(int signal);
};

// Makes a child forked from now on (such as a message box's) end when this process ends.
void end_children_with_this_process();

}  // namespace nuv::host
