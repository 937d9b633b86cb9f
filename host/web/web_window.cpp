#include "host/web/web_window.hpp"

#include <array>
#include <chrono>
#include <optional>

#include "frames/loaded_records.hpp"
#include "host/client_area.hpp"
#include "host/web/page.hpp"

namespace nuv::host::web {
namespace {

// A page queues few events between two frame waits; more wait for the next read.
constexpr std::size_t kEventsARead = 256;

WindowInput input_of(const page::Event& event) {
  const bool touch = event.touch != 0;
  const auto time = static_cast<std::uint32_t>(event.time);
  switch (event.kind) {
    case page::Event::typed:
      return WindowInput::typed_key(static_cast<char32_t>(event.character));
    case page::Event::moved:
      return WindowInput::moved_to(event.x, event.y, touch);
    case page::Event::pressed:
    case page::Event::released: {
      const bool pressed = event.kind == page::Event::pressed;
      if (touch) return WindowInput::finger(pressed, event.x, event.y, time);
      return WindowInput::button(pressed, event.x, event.y, event.primary != 0, time);
    }
    case page::Event::rescaled:
      return WindowInput::rescaled_to(event.zoom);
  }
  return WindowInput::typed_key(0);  // a kind no page sends: no key
}

class WebWindow final : public WindowSystem {
 public:
  WebWindow() { use_zoom(page::zoom()); }
  ~WebWindow() override { page::closed(); }
  WebWindow(const WebWindow&) = delete;
  WebWindow& operator=(const WebWindow&) = delete;

  const window::Layout& layout() const override { return layout_; }
  void use_zoom(int zoom) override;
  std::string zoom_notice() const override { return {}; }  // the page chose the zoom
  std::chrono::milliseconds double_click_time() const override { return kDoubleClickTime; }
  void present(const PictureRef& picture, bool repaint) override;
  bool visible() const override { return page::visible(); }
  bool ready() const override { return true; }
  Duration refresh() const override;
  void read(std::vector<WindowInput>& input) override;
  void wait(TimePoint until, Waitable, std::vector<WindowInput>& input) override;

 private:
  window::Layout layout_ = window::layout_at(1);
  std::optional<ClientArea> area_;
  std::vector<std::uint8_t> rgba_;  // the canvas's pixels: red, green, blue, opaque
};

// The page loaded the zoom's records before it asked for it. Those of every other zoom are let go:
// the host loads its pictures again at this zoom at once, and nothing is drawn before.
void WebWindow::use_zoom(int zoom) {
  layout_ = window::layout_at(zoom);
  area_.emplace(layout_);
  rgba_.assign(static_cast<std::size_t>(layout_.client_width) * layout_.client_height * 4, 0);
  page::set_canvas_size(layout_.client_width, layout_.client_height);
  frames::keep_only_records(zoom);
}

// The client area's pixels are 0x00RRGGBB; the canvas takes them byte by byte.
void WebWindow::present(const PictureRef& picture, bool repaint) {
  area_->show(picture);
  const RowSpan changed = area_->take_changed();
  const RowSpan rows = repaint ? RowSpan{0, layout_.client_height} : changed;
  if (rows.empty()) return;
  const auto width = static_cast<std::size_t>(layout_.client_width);
  for (int y = rows.first; y < rows.end; ++y) {
    const std::uint32_t* from = area_->row(y);
    std::uint8_t* to = rgba_.data() + static_cast<std::size_t>(y) * width * 4;
    for (std::size_t x = 0; x < width; ++x, to += 4) {
      to[0] = static_cast<std::uint8_t>(from[x] >> 16);
      to[1] = static_cast<std::uint8_t>(from[x] >> 8);
      to[2] = static_cast<std::uint8_t>(from[x]);
      to[3] = 0xFF;
    }
  }
  const std::size_t row_bytes = width * 4;
  page::put_rows(std::span(rgba_).subspan(rows.first * row_bytes, (rows.end - rows.first) * row_bytes),
                 layout_.client_width, rows.first);
}

Duration WebWindow::refresh() const {
  const double milliseconds = page::refresh_milliseconds();
  if (!(milliseconds > 0)) return kAssumedRefresh;
  return std::chrono::duration_cast<Duration>(
      std::chrono::duration<double, std::milli>(milliseconds));
}

void WebWindow::read(std::vector<WindowInput>& input) {
  std::array<page::Event, kEventsARead> events{};
  const std::size_t count = page::take_events(events);
  for (std::size_t i = 0; i < count; ++i) input.push_back(input_of(events[i]));
}

void WebWindow::wait(TimePoint until, Waitable, std::vector<WindowInput>& input) {
  const Duration left = time_left(until, MonotonicClock::now());
  page::wait(std::chrono::duration<double, std::milli>(left).count());
  read(input);
}

}  // namespace

std::unique_ptr<WindowSystem> open_window() {
  return std::make_unique<WebWindow>();
}

}  // namespace nuv::host::web
