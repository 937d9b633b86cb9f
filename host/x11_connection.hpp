#pragma once
// What the host does with an X server directly, beside SDL: the handlers for its fatal errors,
// the window's placement hints, and reading input in bounded batches. Nothing here is needed,
// or used, on another window system.

#include <deque>
#include <functional>
#include <string>

struct _XDisplay;
union _XEvent;

namespace nuv::host::x11 {

// Prints the program's run-time error message.
using ReportError = void (*)(const std::string& message);

// A lost connection or a refused request ends the process through `report`, with a message
// that names the display, and status 1; nothing is left to release on a dead connection.
// Without `report`, the X library's own handlers are back.
void report_fatal_errors(ReportError report);

// Takes away the position SDL writes into the window's size hints, so that the window manager
// places the window as it places any other. Before the window is first shown.
void let_window_manager_place(_XDisplay* display, unsigned long window);

// The X library keeps every event read from the connection in one queue, and SDL scans that
// whole queue for each key release it handles, so a burst of thousands of keys costs time in
// the square of its size. Input events are therefore held aside in arrival order as the X
// library reads them, and handed back to its queue a few at a time for SDL to handle.
class InputBatches {
 public:
  // One at a time: the X library's converters are shared by the whole process.
  explicit InputBatches(_XDisplay* display);
  ~InputBatches();
  InputBatches(const InputBatches&) = delete;
  InputBatches& operator=(const InputBatches&) = delete;

  // Reads what has arrived on the connection; true if any event waits to be handled.
  bool pending();
  // True if events read already wait to be handled, with no reading; such events, read along
  // with others, do not make the connection readable.
  bool holding() const;
  // Hands every waiting event on, a batch at a time, calling `handle` after each batch; the
  // input arriving meanwhile waits for the next call. `handle` may throw to stop early.
  void feed(const std::function<void()>& handle);

 private:
  _XDisplay* display_;
  std::deque<_XEvent> held_;
};

}  // namespace nuv::host::x11
