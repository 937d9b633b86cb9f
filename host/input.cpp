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

ClickJudge::Verdict ClickJudge::press(int x, int y, bool over_picture, std::uint32_t time) {
  clicking_ = over_picture;
  if (!over_picture) {
    first_.reset();
    return Verdict::none;
  }
  // Unsigned, so that the window system's clock may wrap between the two.
  const bool soon = first_ && time - first_->time <= static_cast<std::uint32_t>(time_.count());
  if (soon && std::abs(x - first_->x) <= distance_ && std::abs(y - first_->y) <= distance_) {
    first_.reset();
    clicking_ = false;
    return Verdict::double_click;
  }
  first_ = Press{x, y, time};
  return Verdict::none;
}

ClickJudge::Verdict ClickJudge::release(bool over_picture) {
  const bool click = clicking_ && over_picture;
  clicking_ = false;
  return click ? Verdict::click : Verdict::none;
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
    case WindowInput::Kind::moved: {
      // A window system may tell a position twice, as Wayland does when the pointer comes in.
      if (std::exchange(pointer_, Position{input.x, input.y}) == Position{input.x, input.y})
        return std::nullopt;
      if (!over) return std::nullopt;
      const window::Point at =
          window::to_scale(layout_, input.x - layout_.inner.x, input.y - layout_.inner.y);
      return HandlerCall{Kind::mouse_move, 0, at.x, at.y, read_at};
    }
    case WindowInput::Kind::pressed:
      if (input.primary &&
          clicks_.press(input.x, input.y, over, input.time) == ClickJudge::Verdict::double_click)
        return HandlerCall{Kind::double_click, 0, 0, 0, read_at};
      return std::nullopt;
    case WindowInput::Kind::released:
      if (input.primary && clicks_.release(over) == ClickJudge::Verdict::click)
        return HandlerCall{Kind::click, 0, 0, 0, read_at};
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace nuv::host
