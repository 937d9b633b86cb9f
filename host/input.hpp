#pragma once
// Input as a window system reports it, and its translation into calls of the window's handlers:
// typed characters into key codes, pointer positions into Picture1's scale units, presses and
// releases of the primary button into clicks and double clicks. Every event is translated once,
// in the order it came, by the same rules on every window system: a movement is a change of the
// pointer's position, a key held with Ctrl, Alt or a logo key types nothing here, since such
// combinations belong to the desktop (or the browser), and a finger on the picture is the
// pointer, its tap a click.

#include <chrono>
#include <cstdint>
#include <optional>

#include "host/clock.hpp"
#include "window/layout.hpp"

namespace nuv::host {

// One event from a window system, positions in the pixels of the window's layout. A window
// system that follows the desktop's density also tells, in its place among the input, that the
// desktop now asks for another zoom.
struct WindowInput {
  enum class Kind { typed, moved, pressed, released, rescaled };
  Kind kind = Kind::moved;
  char32_t character = 0;  // typed: the character, 0x1B for Escape
  bool combined = false;   // typed: with Ctrl, Alt or a logo key held that the key did not use
  int x = 0, y = 0;        // moved, pressed, released: the pointer
  bool primary = true;     // pressed, released: the primary button rather than another
  std::uint32_t time = 0;  // pressed: the window system's own time of the event, in milliseconds
  bool touch = false;      // moved, pressed, released: a finger (or a pen) on a touch screen
  int zoom = 0;            // rescaled: the zoom the desktop asks for now

  static WindowInput typed_key(char32_t character, bool combined = false) {
    return {Kind::typed, character, combined};
  }
  static WindowInput moved_to(int x, int y, bool touch = false) {
    return {Kind::moved, 0, false, x, y, true, 0, touch};
  }
  static WindowInput button(bool pressed, int x, int y, bool primary, std::uint32_t time) {
    return {pressed ? Kind::pressed : Kind::released, 0, false, x, y, primary, time};
  }
  // A finger coming down on the screen, or lifting, at its own time.
  static WindowInput finger(bool down, int x, int y, std::uint32_t time) {
    return {down ? Kind::pressed : Kind::released, 0, false, x, y, true, time, true};
  }
  static WindowInput rescaled_to(int zoom) {
    return {Kind::rescaled, 0, false, 0, 0, true, 0, false, zoom};
  }
};

// One call of a handler, with the moment its input was read.
struct HandlerCall {
  enum class Kind { key_press, mouse_move, click, double_click };
  Kind kind = Kind::key_press;
  std::int16_t code = 0;  // key_press
  float x = 0, y = 0;     // mouse_move, in Picture1's scale units
  TimePoint read_at{};
};

// The key code of a typed character; nothing for one beyond the 16-bit signed range, which no
// command uses.
std::optional<std::int16_t> key_code(char32_t character);

// Characters from UTF-16 code units as Windows types them: one unit, or a high and a low
// surrogate for a character beyond the first 65536; a surrogate without its partner is dropped.
class Utf16Characters {
 public:
  std::optional<char32_t> take(char16_t unit);

 private:
  char16_t high_ = 0;  // a high surrogate waiting for its low one
};

// The second press of a double click comes within this long of the first, where the desktop
// does not say.
inline constexpr std::chrono::milliseconds kDoubleClickTime{400};
// ... and within this many pixels of it, at zoom 1, where the desktop does not say.
inline constexpr int kDoubleClickDistance = 5;

// A click is the release of a press over the picture, a double click the second press within the
// double-click time and distance of the first; both judged by the events' own times, not by when
// they were read, so that input read late in a burst keeps its meaning.
//
// A finger taps: it comes down on the picture and lifts within the double-click distance of where
// it came down. A tap is a click; a second tap that came down within the double-click time and
// distance of the first is a double click. A finger that slid further is the pointer moving: no
// click, and no double click with a tap before or after it.
class ClickJudge {
 public:
  enum class Verdict { none, click, double_click };
  ClickJudge(std::chrono::milliseconds double_click_time, int double_click_distance)
      : time_(double_click_time), distance_(double_click_distance) {}

  Verdict press(int x, int y, bool over_picture, std::uint32_t time);
  Verdict release(bool over_picture);

  void finger_down(int x, int y, bool over_picture, std::uint32_t time);
  void finger_moved(int x, int y);
  Verdict finger_up(bool over_picture);

 private:
  struct Press {
    int x, y;
    std::uint32_t time;
  };
  // Whether the second press is within the double-click time and distance of the first.
  bool double_after(const Press& first, const Press& second) const;

  std::chrono::milliseconds time_;
  int distance_;
  std::optional<Press> first_;   // the press a second one would make a double click
  bool clicking_ = false;        // a press over the picture whose release is a click
  std::optional<Press> finger_;  // where and when the finger on the picture came down
  bool slid_ = false;            // ... and whether it has slid since
  std::optional<Press> tap_;     // the tap a second one would make a double click
};

// Of the fingers on a touch screen, the first that came down on the window is the pointer until it
// lifts; the others meanwhile are not. Each touch point's events, positions in the window's pixels,
// give the finger's input where they are that finger's.
class FirstFinger {
 public:
  std::optional<WindowInput> down(std::int64_t point, int x, int y, std::uint32_t time);
  std::optional<WindowInput> moved(std::int64_t point, int x, int y);
  // It lifts where it last was.
  std::optional<WindowInput> up(std::int64_t point, std::uint32_t time);
  // The window system took the touches back: the finger lifts away from the picture.
  std::optional<WindowInput> cancelled();

 private:
  std::optional<std::int64_t> point_;  // the touch point that is the finger, while it is down
  int x_ = 0, y_ = 0;
};

// Input into handler calls: only what happens over the visible part of Picture1's inner area
// counts, so positions stay within the scale's visible range.
class InputTranslator {
 public:
  InputTranslator(const window::Layout& layout, std::chrono::milliseconds double_click_time,
                  int double_click_distance)
      : layout_(layout), clicks_(double_click_time, double_click_distance) {}

  std::optional<HandlerCall> translate(const WindowInput& input, TimePoint read_at);

 private:
  struct Position {
    int x, y;
    friend bool operator==(const Position&, const Position&) = default;
  };
  std::optional<HandlerCall> movement(const WindowInput& input, TimePoint read_at);
  window::Layout layout_;
  ClickJudge clicks_;
  std::optional<Position> pointer_;  // where the last movement left it
};

}  // namespace nuv::host
