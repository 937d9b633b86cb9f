#include "host/input.hpp"

#include <cstdlib>
#include <utility>

namespace nuv::host {

std::optional<std::int16_t> key_code(char32_t character) {
  if (character == 0 || character > 0x7FFF) return std::nullopt;
  return static_cast<std::int16_t>(character);
}

std::optional<char32_t> Utf16Characters::take(char16_t unit) {
  const char16_t high = std::exchange(high_, 0);
  if (unit >= 0xD800 && unit < 0xDC00) {
    high_ = unit;
    return std::nullopt;
  }
  if (unit < 0xDC00 || unit >= 0xE000) return unit;
  if (high == 0) return std::nullopt;
  return 0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00);
}

// Unsigned, so that the window system's clock may wrap between the two.
bool ClickJudge::double_after(const Press& first, const Press& second) const {
  return second.time - first.time <= static_cast<std::uint32_t>(time_.count()) &&
         std::abs(second.x - first.x) <= distance_ && std::abs(second.y - first.y) <= distance_;
}

ClickJudge::Verdict ClickJudge::press(int x, int y, bool over_picture, std::uint32_t time) {
  clicking_ = over_picture;
  if (!over_picture) {
    first_.reset();
    return Verdict::none;
  }
  const Press press{x, y, time};
  if (first_ && double_after(*first_, press)) {
    first_.reset();
    clicking_ = false;
    return Verdict::double_click;
  }
  first_ = press;
  return Verdict::none;
}

ClickJudge::Verdict ClickJudge::release(bool over_picture) {
  const bool click = clicking_ && over_picture;
  clicking_ = false;
  return click ? Verdict::click : Verdict::none;
}

void ClickJudge::finger_down(int x, int y, bool over_picture, std::uint32_t time) {
  finger_.reset();
  if (over_picture) finger_ = Press{x, y, time};
  slid_ = false;
}

void ClickJudge::finger_moved(int x, int y) {
  if (finger_ && (std::abs(x - finger_->x) > distance_ || std::abs(y - finger_->y) > distance_))
    slid_ = true;
}

ClickJudge::Verdict ClickJudge::finger_up(bool over_picture) {
  const std::optional<Press> finger = std::exchange(finger_, std::nullopt);
  if (!finger || slid_ || !over_picture) {
    tap_.reset();
    return Verdict::none;
  }
  if (tap_ && double_after(*tap_, *finger)) {
    tap_.reset();
    return Verdict::double_click;
  }
  tap_ = finger;
  return Verdict::click;
}

std::optional<WindowInput> FirstFinger::down(std::int64_t point, int x, int y,
                                              std::uint32_t time) {
  if (point_) return std::nullopt;
  point_ = point;
  x_ = x;
  y_ = y;
  return WindowInput::finger(true, x, y, time);
}

std::optional<WindowInput> FirstFinger::moved(std::int64_t point, int x, int y) {
  if (point_ != point) return std::nullopt;
  x_ = x;
  y_ = y;
  return WindowInput::moved_to(x, y, true);
}

std::optional<WindowInput> FirstFinger::up(std::int64_t point, std::uint32_t time) {
  if (point_ != point) return std::nullopt;
  point_.reset();
  return WindowInput::finger(false, x_, y_, time);
}

std::optional<WindowInput> FirstFinger::cancelled() {
  if (!point_) return std::nullopt;
  point_.reset();
  return WindowInput::finger(false, -1, -1, 0);
}

std::optional<HandlerCall> InputTranslator::translate(const WindowInput& input, TimePoint read_at) {
  using Kind = HandlerCall::Kind;
  const bool over = window::over_visible_inner_area(layout_, input.x, input.y);
  switch (input.kind) {
    case WindowInput::Kind::typed:
      if (input.combined) return std::nullopt;
      if (const auto code = key_code(input.character))
        return HandlerCall{Kind::key_press, *code, 0, 0, read_at};
      return std::nullopt;
    case WindowInput::Kind::moved:
      if (input.touch) clicks_.finger_moved(input.x, input.y);
      return movement(input, read_at);
    // A finger coming down is the pointer going there; whether it tapped is known as it lifts.
    case WindowInput::Kind::pressed:
      if (input.touch) {
        clicks_.finger_down(input.x, input.y, over, input.time);
        return movement(input, read_at);
      }
      if (input.primary &&
          clicks_.press(input.x, input.y, over, input.time) == ClickJudge::Verdict::double_click)
        return HandlerCall{Kind::double_click, 0, 0, 0, read_at};
      return std::nullopt;
    case WindowInput::Kind::released: {
      if (!input.primary) return std::nullopt;
      const ClickJudge::Verdict verdict =
          input.touch ? clicks_.finger_up(over) : clicks_.release(over);
      if (verdict == ClickJudge::Verdict::click) return HandlerCall{Kind::click, 0, 0, 0, read_at};
      if (verdict == ClickJudge::Verdict::double_click)
        return HandlerCall{Kind::double_click, 0, 0, 0, read_at};
      return std::nullopt;
    }
    case WindowInput::Kind::rescaled:
      return std::nullopt;  // the window's, not the handlers': the host makes it anew
  }
  return std::nullopt;
}

// A window system may tell a position twice, as Wayland does when the pointer comes in.
std::optional<HandlerCall> InputTranslator::movement(const WindowInput& input, TimePoint read_at) {
  if (std::exchange(pointer_, Position{input.x, input.y}) == Position{input.x, input.y})
    return std::nullopt;
  if (!window::over_visible_inner_area(layout_, input.x, input.y)) return std::nullopt;
  const window::Point at =
      window::to_scale(layout_, input.x - layout_.inner.x, input.y - layout_.inner.y);
  return HandlerCall{HandlerCall::Kind::mouse_move, 0, at.x, at.y, read_at};
}

}  // namespace nuv::host
