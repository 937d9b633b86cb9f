#pragma once
// Xlib's errors about windows that went away, left to the caller for a while.

#include <X11/Xlib.h>

namespace nuv::testing {

// While it lives, a failed request about a window that went away is left to the caller, which
// sees it in the request's result, rather than ending the process in Xlib's handler.
class XErrorsIgnored {
 public:
  explicit XErrorsIgnored(Display* display)
      : display_(display), previous_(XSetErrorHandler([](Display*, XErrorEvent*) { return 0; })) {}
  ~XErrorsIgnored() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  XErrorsIgnored(const XErrorsIgnored&) = delete;
  XErrorsIgnored& operator=(const XErrorsIgnored&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};

}  // namespace nuv::testing
