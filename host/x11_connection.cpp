#include "host/x11_connection.hpp"

#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>
// The X library's internal header defines these as macros.
#undef min
#undef max

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace nuv::host::x11 {
namespace {

ReportError report_error = nullptr;

[[noreturn]] void end_with(const std::string& message) {
  if (report_error != nullptr) report_error(message);
  std::_Exit(1);
}

int on_connection_lost(Display* display) {
  end_with(std::string("lost the connection to the display ") + DisplayString(display));
}

int on_refused_request(Display* display, XErrorEvent* error) {
  std::array<char, 160> text{};
  XGetErrorText(display, error->error_code, text.data(), static_cast<int>(text.size()));
  end_with(std::string("the display ") + DisplayString(display) + " refused a request (" +
           text.data() + ", request code " + std::to_string(error->request_code) + ")");
}

// The core input events, and the keyboard mapping changes that tell how to read later keys.
constexpr int kHeldTypes[] = {KeyPress,     KeyRelease,  ButtonPress, ButtonRelease,
                              MotionNotify, EnterNotify, LeaveNotify, MappingNotify};

using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);
std::array<WireToEvent, LASTEvent> library_converters{};
std::deque<XEvent>* held_events = nullptr;

// Converts as the X library would, then keeps the event out of its queue.
Bool hold_event(Display* display, XEvent* event, xEvent* wire) {
  const int type = wire->u.u.type & 0x7f;
  if (!library_converters[type](display, event, wire)) return False;
  held_events->push_back(*event);
  return False;
}

// Few enough that SDL's scan of the queue stays cheap, enough that a burst needs few passes.
constexpr std::size_t kBatchSize = 32;

}  // namespace

void report_fatal_errors(ReportError report) {
  report_error = report;
  XSetIOErrorHandler(report != nullptr ? on_connection_lost : nullptr);
  XSetErrorHandler(report != nullptr ? on_refused_request : nullptr);
}

void let_window_manager_place(Display* display, unsigned long window) {
  const std::unique_ptr<XSizeHints, decltype(&XFree)> hints(XAllocSizeHints(), XFree);
  long supplied = 0;
  if (!hints || !XGetWMNormalHints(display, window, hints.get(), &supplied)) return;
  hints->flags &= ~(USPosition | PPosition);
  XSetWMNormalHints(display, window, hints.get());
}

InputBatches::InputBatches(Display* display) : display_(display) {
  held_events = &held_;
  for (const int type : kHeldTypes)
    library_converters[type] = XESetWireToEvent(display, type, hold_event);
}

InputBatches::~InputBatches() {
  for (const int type : kHeldTypes) XESetWireToEvent(display_, type, library_converters[type]);
  held_events = nullptr;
}

bool InputBatches::pending() {
  return XEventsQueued(display_, QueuedAfterReading) > 0 || !held_.empty();
}

bool InputBatches::holding() const {
  return !held_.empty() || XQLength(display_) > 0;
}

// Only what waits at the call is handed on, so that a burst still arriving cannot keep the
// caller here. Put back in reverse, since each goes to the head of the queue.
void InputBatches::feed(const std::function<void()>& handle) {
  std::size_t waiting = held_.size();
  do {
    const std::size_t count = std::min(waiting, kBatchSize);
    for (std::size_t i = count; i-- > 0;) XPutBackEvent(display_, &held_[i]);
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
    waiting -= count;
    handle();
  } while (waiting > 0);
}

}  // namespace nuv::host::x11
