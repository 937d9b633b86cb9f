#pragma once
// What each window system gives the viewer's host: a window of the layout's size showing the
// client area, the input that reaches it, and the time to sleep in while nothing happens. A
// window system ends the program itself when its window is closed (ProgramExit with status 0),
// and throws WindowSystemError when it fails.

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/clock.hpp"
#include "host/host.hpp"
#include "host/input.hpp"
#include "host/waitable.hpp"
#include "window/layout.hpp"

namespace nuv::host {

// A failure of the window system; its message is the run-time error's.
class WindowSystemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The window's layout, at the zoom chosen when it was made or last changed.
  virtual const window::Layout& layout() const = 0;
  // Makes the window at another zoom, as the desktop asked (WindowInput::rescaled_to): its
  // layout, its size and its client area, which the next present draws whole. Where the window
  // would not fit the display at that zoom, the largest that fits.
  virtual void use_zoom(int zoom) = 0;
  // One line saying that the zoom wanted did not fit the display and a smaller one was taken;
  // empty when the zoom is the one wanted.
  virtual std::string zoom_notice() const = 0;
  // The desktop's double-click time.
  virtual std::chrono::milliseconds double_click_time() const = 0;
  // How far, in the window's pixels, the second press of a double click may be from the first.
  virtual int double_click_distance() const { return kDoubleClickDistance * layout().zoom; }

  // Puts the client area showing `picture` on screen: what changed since the last call, all of
  // it with `repaint`.
  virtual void present(const PictureRef& picture, bool repaint) = 0;
  // Whether a picture put on screen now would be seen.
  virtual bool visible() const = 0;
  // Whether the window system takes a picture now; it may still be reading the last one.
  virtual bool ready() const = 0;
  // How often the display shows a new picture.
  virtual Duration refresh() const = 0;
  // The clock the window system's waits keep.
  virtual TimePoint now() const { return MonotonicClock::now(); }

  // Reads what the window system has said, without waiting, adding its input to `input`.
  virtual void read(std::vector<WindowInput>& input) = 0;
  // Sleeps until the window system speaks, `signalled` becomes readable or `until` has come,
  // then reads as `read` does.
  virtual void wait(TimePoint until, Waitable signalled, std::vector<WindowInput>& input) = 0;
};

// Opens the window of the window system the session runs: Wayland when WAYLAND_DISPLAY names a
// compositor that answers, else X11; NUV_WINDOW_SYSTEM=x11 or wayland chooses. The zoom is the
// one asked for, else the desktop's density, limited to what the display can hold.
std::unique_ptr<WindowSystem> open_window_system(std::optional<int> requested_zoom);

}  // namespace nuv::host
