#pragma once
// What the viewer needs of the window system: the window object's handlers that the host calls,
// and the operations the window object calls on the host. Everything runs on one thread.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "frames/encoded_picture.hpp"

namespace nuv::host {

// Pictures are shared, never copied: image controls, the frame table and Picture1 may hold
// the same one.
using PictureRef = std::shared_ptr<const frames::EncodedPicture>;

// The window NUV's handlers. After activation they run only inside a pump pass.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // Once, when the window first becomes active; does not return.
  [[noreturn]] virtual void activate() = 0;
  // A character typed into Picture1, or 27 for Escape.
  virtual void key_press(std::int16_t code) = 0;
  // The pointer moved over Picture1; x and y in Picture1's scale units.
  virtual void mouse_move(float x, float y) = 0;
  // A single press and release of the primary button.
  virtual void click() = 0;
  // The second press of a double click, delivered after the click of the first press.
  virtual void double_click() = 0;
};

// Thrown by the host to end the program: unwinds to start, which releases the window and
// returns the status.
struct ProgramExit {
  int status;
};

class Host {
 public:
  virtual ~Host() = default;
  // Builds and shows the window with its image controls, activates it once; returns the
  // process exit status when the program ends.
  virtual int start(WindowEvents& window) = 0;
  // A shared reference to the picture of image control Image`image_number` (1 to 18).
  virtual PictureRef image_picture(int image_number) = 0;
  // Picture1 shows this picture at the latest after the next pump pass.
  virtual void set_picture(const PictureRef& picture) = 0;
  // Lets the frame wait's time pass. Input that arrives meanwhile waits for the next pump pass;
  // the window stays drawn, and the close control and the ending signals end the program.
  virtual void idle(std::chrono::microseconds duration) = 0;
  // Handles every pending window message and input event, then returns.
  virtual void pump() = 0;
  // Erases graphics drawn on the window at run time; Picture1's picture stays.
  virtual void clear_window() = 0;
  // Closes the window and exits with status 0; nothing after the call runs.
  [[noreturn]] virtual void end_program() = 0;
  // Reports the message, closes the window and exits with a non-zero status.
  [[noreturn]] virtual void runtime_error(const std::string& message) = 0;
};

}  // namespace nuv::host
