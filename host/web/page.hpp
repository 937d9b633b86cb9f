#pragma once
// The page's script, as the web window system calls it (web/page.js): what the page tells of
// itself, the input it has queued, the canvas, and the wait that gives the browser control.

#include <cstdint>
#include <span>
#include <string>

namespace nuv::host::web::page {

// One event the page queued, as it writes them: eight numbers.
struct Event {
  enum Kind : std::int32_t { typed, moved, pressed, released, rescaled };
  std::int32_t kind, character, x, y, primary, touch, time, zoom;
};

// The zoom whose records the page loaded before the program started, or since, before it queued
// the event that asks for it.
int zoom();
// Whether the page is shown: its tab in front, the browser not minimised.
bool visible();
// How long a display refresh lasts, as the page measured it; 0 before it has.
double refresh_milliseconds();
// The canvas at this size in its own pixels, one a device pixel.
void set_canvas_size(int width, int height);
// Draws rows of RGBA pixels, `width` a row, into the canvas from row `first_row` down.
void put_rows(std::span<const std::uint8_t> rgba, int width, int first_row);
// Moves the events the page has queued into `events`; returns how many.
std::size_t take_events(std::span<Event> events);
// Gives the browser control until `milliseconds` have passed or the page has something to say.
void wait(double milliseconds);
// Shows a run-time error in the page.
void show_error(const std::string& message);
// The window has closed: the program is ending.
void closed();

}  // namespace nuv::host::web::page
