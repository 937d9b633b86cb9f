#pragma once
// Test support for reading the real window: its client area in screenshots taken straight from
// the X server, and which of the stored frames a screenshot shows.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "frames/picture.hpp"
#include "window/layout.hpp"

namespace nuv::testing {

// A screenshot of the viewer's client area, 8-bit RGB, row 0 at the top.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  // How far a channel may lie from the colour drawn: none where the display holds 8 bits or
  // more a channel, one step of the coarsest channel where it holds fewer.
  int tolerance = 0;
  frames::Rgb at(int x, int y) const;
  // Whether the pixel shows this colour, as closely as the display can.
  bool shows(int x, int y, frames::Rgb colour) const;
};

// Which of the eighteen frames drawn at the layout's zoom fills Picture1's inner area in a
// screenshot, by exact comparison (within the display's precision); -1 for none.
int slot_in(const Screenshot& shot, const window::Layout& layout);
// The same for the rows of a frame from `first_row` on, the first of them at `top` of the shot
// and the inner area's first column at `left`.
int slot_in_rows(const Screenshot& shot, int left, int top, int first_row, int rows,
                 const window::Layout& layout);

// An X window that shows the viewer's client area, and where the area lies in it.
struct PlacedClientArea {
  unsigned long window = 0;
  int left = 0, top = 0;
};

// A connection of its own to the X server that reads a window's pixels in a few milliseconds,
// where spawning import takes tens of them.
class WindowReader {
 public:
  WindowReader();
  ~WindowReader();
  WindowReader(const WindowReader&) = delete;
  WindowReader& operator=(const WindowReader&) = delete;

  // The top-level window that carries the caption (the viewer's unless told), or nothing while
  // there is none.
  std::optional<unsigned long> find_viewer(std::string_view caption = window::kCaption) const;
  // The window's client area at a layout's size, or nothing when the window is gone or not yet
  // its full size.
  std::optional<Screenshot> grab(unsigned long window, const window::Layout& layout) const;
  std::optional<Screenshot> grab(const PlacedClientArea& area, const window::Layout& layout) const;
  // Where the viewer's client area lies on weston's output of `output` pixels at `scale`, found
  // by Picture1's sunken border; nothing while it is not shown there.
  std::optional<PlacedClientArea> find_on_weston(unsigned long weston_window, window::Size output,
                                                 int scale) const;

  // Which frame shows in the band of rows the crank pin sweeps, which tells the eighteen frames
  // apart and is read fast enough on a loaded machine; -1 for none.
  int slot_in_band(const PlacedClientArea& area, const window::Layout& layout) const;

  // Any rectangle of the window, or nothing when it cannot be read.
  std::optional<Screenshot> grab_rectangle(unsigned long window, int left, int top, int width,
                                           int height) const;

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

// The eighteen frames as the viewer carries them at `zoom`.
const std::array<frames::Picture, frames::kFrameCount>& stored_frames(int zoom = 1);

}  // namespace nuv::testing
