#include "host/web/page.hpp"

#include <emscripten.h>

// Each function calls the object the page's script gave the module as `page`.

EM_JS(int, nuv_page_zoom, (), { return Module.page.zoom; });
EM_JS(int, nuv_page_visible, (), { return Module.page.visible() ? 1 : 0; });
EM_JS(double, nuv_page_refresh, (), { return Module.page.refreshMilliseconds; });
EM_JS(void, nuv_page_set_canvas_size, (int width, int height),
      { Module.page.setCanvasSize(width, height); });
EM_JS(void, nuv_page_put_rows, (const std::uint8_t* rgba, int width, int first_row, int rows), {
  Module.page.putRows(HEAPU8.subarray(rgba, rgba + width * rows * 4), width, first_row, rows);
});
EM_JS(int, nuv_page_take_events, (std::int32_t* events, int capacity),
      { return Module.page.takeEvents(HEAP32.subarray(events >> 2, (events >> 2) + capacity * 8)); });
EM_ASYNC_JS(void, nuv_page_wait, (double milliseconds), { await Module.page.wait(milliseconds); });
EM_JS(void, nuv_page_show_error, (const char* message),
      { Module.page.showError(UTF8ToString(message)); });
EM_JS(void, nuv_page_closed, (), { Module.page.closed(); });

namespace nuv::host::web::page {

int zoom() {
  return nuv_page_zoom();
}

bool visible() {
  return nuv_page_visible() != 0;
}

double refresh_milliseconds() {
  return nuv_page_refresh();
}

void set_canvas_size(int width, int height) {
  nuv_page_set_canvas_size(width, height);
}

void put_rows(std::span<const std::uint8_t> rgba, int width, int first_row) {
  nuv_page_put_rows(rgba.data(), width, first_row,
                    static_cast<int>(rgba.size() / (static_cast<std::size_t>(width) * 4)));
}

std::size_t take_events(std::span<Event> events) {
  return static_cast<std::size_t>(nuv_page_take_events(reinterpret_cast<std::int32_t*>(events.data()),
                                                       static_cast<int>(events.size())));
}

void wait(double milliseconds) {
  nuv_page_wait(milliseconds);
}

void show_error(const std::string& message) {
  nuv_page_show_error(message.c_str());
}

void closed() {
  nuv_page_closed();
}

}  // namespace nuv::host::web::page
