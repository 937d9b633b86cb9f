// Window-system input into the handlers' calls: keys, pointer positions, clicks and double clicks
// judged by the events' own times.

#include "host/input.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nuv::host {
namespace {

using Kind = WindowInput::Kind;

// A point over the picture at zoom 1, and one over Picture1's border.
constexpr int kX = 150, kY = 300;
constexpr int kOnBorder = 1;

WindowInput typed(char32_t character) {
  return WindowInput::typed_key(character);
}
WindowInput combined(char32_t character) {
  return WindowInput::typed_key(character, true);
}
WindowInput moved(int x, int y) {
  return WindowInput::moved_to(x, y);
}
WindowInput pressed(std::uint32_t time, int x = kX, int y = kY, bool primary = true) {
  return WindowInput::button(true, x, y, primary, time);
}
WindowInput released(int x = kX, int y = kY, bool primary = true) {
  return WindowInput::button(false, x, y, primary, 0);
}
WindowInput down(std::uint32_t time, int x = kX, int y = kY) {
  return WindowInput::finger(true, x, y, time);
}
WindowInput slid(int x, int y) {
  return WindowInput::moved_to(x, y, true);
}
WindowInput up(int x = kX, int y = kY) {
  return WindowInput::finger(false, x, y, 0);
}

// The calls as letters: k<code>, m, c for a click, d for a double click.
std::string calls_for(const std::vector<WindowInput>& inputs, int zoom = 1) {
  InputTranslator translator(window::layout_at(zoom), kDoubleClickTime,
                             kDoubleClickDistance * zoom);
  std::string calls;
  for (const WindowInput& input : inputs) {
    const auto call = translator.translate(input, TimePoint{});
    if (!call) continue;
    switch (call->kind) {
      case HandlerCall::Kind::key_press:
        calls += "k" + std::to_string(call->code) + " ";
        break;
      case HandlerCall::Kind::mouse_move:
        calls += "m ";
        break;
      case HandlerCall::Kind::click:
        calls += "c ";
        break;
      case HandlerCall::Kind::double_click:
        calls += "d ";
        break;
    }
  }
  return calls;
}

TEST(InputTranslator, ClicksAndDoubleClicksByTheEventsOwnTimesAndPlaces) {
  const struct {
    const char* what;
    std::vector<WindowInput> inputs;
    int zoom;
    std::string calls;
  } cases[] = {
      {"a click", {pressed(1000), released()}, 1, "c "},
      {"a double click", {pressed(1000), released(), pressed(1300), released()}, 1, "c d "},
      {"the second press 400 ms later", {pressed(1000), released(), pressed(1400)}, 1, "c d "},
      {"the second press 650 ms later", {pressed(1000), released(), pressed(1650)}, 1, "c "},
      {"two clicks 700 ms apart, read together",
       {pressed(1000), released(), pressed(1700), released()},
       1,
       "c c "},
      {"two clicks 200 pixels apart",
       {pressed(1000), released(), pressed(1100, kX, kY + 200), released(kX, kY + 200)},
       1,
       "c c "},
      {"5 pixels apart", {pressed(1000), released(), pressed(1100, kX + 5, kY - 5)}, 1, "c d "},
      {"6 pixels apart", {pressed(1000), released(), pressed(1100, kX, kY + 6)}, 1, "c "},
      {"6 pixels across", {pressed(1000), released(), pressed(1100, kX - 6, kY)}, 1, "c "},
      {"10 screen pixels apart at zoom 2",
       {pressed(1000, 2 * kX, 2 * kY), released(2 * kX, 2 * kY),
        pressed(1100, 2 * kX + 10, 2 * kY)},
       2,
       "c d "},
      {"the server's clock wrapping between them",
       {pressed(0xFFFFFF00u), released(), pressed(0x10)},
       1,
       "c d "},
      {"a second press stamped before the first",
       {pressed(5000), released(), pressed(4900)},
       1,
       "c "},
      {"a third press after a double click",
       {pressed(1000), released(), pressed(1100), released(), pressed(1200), released()},
       1,
       "c d c "},
      {"pressed over the border", {pressed(1000, kOnBorder), released()}, 1, ""},
      {"released off the picture", {pressed(1000), released(kX, 700)}, 1, ""},
      {"a press off the picture between",
       {pressed(1000), released(), pressed(1100, kOnBorder), pressed(1200)},
       1,
       "c "},
      {"another button", {pressed(1000, kX, kY, false), released(kX, kY, false)}, 1, ""},
  };
  for (const auto& [what, inputs, zoom, calls] : cases)
    EXPECT_EQ(calls_for(inputs, zoom), calls) << what;
}

// A finger is the pointer: where it comes down and slides it moves; a tap is a click, two taps in
// place a double click, and a tap followed by a slide never one.
TEST(InputTranslator, FingersByTheOneTouchRule) {
  const struct {
    const char* what;
    std::vector<WindowInput> inputs;
    std::string calls;
  } cases[] = {
      {"a tap", {down(1000), up()}, "m c "},
      {"a tap that wobbles within 5 pixels",
       {down(1000), slid(kX + 5, kY - 5), up(kX + 5, kY - 5)},
       "m m c "},
      {"a slide", {down(1000), slid(kX, kY + 6), slid(kX, kY + 40), up(kX, kY + 40)}, "m m m "},
      {"two taps in place", {down(1000), up(), down(1300), up()}, "m c d "},
      {"two taps a little apart",
       {down(1000), up(), down(1300, kX + 3, kY), up(kX + 3, kY)},
       "m c m d "},
      {"a tap, then a slide from the same place",
       {down(1000), up(), down(1200), slid(kX, kY + 20), up(kX, kY + 20)},
       "m c m "},
      {"a tap, a slide, a tap: the slide parts them",
       {down(1000), up(), down(1100), slid(kX, kY + 20), up(kX, kY + 20), down(1200), up()},
       "m c m m c "},
      {"two taps 500 ms apart", {down(1000), up(), down(1500), up()}, "m c c "},
      {"two taps far apart",
       {down(1000), up(), down(1100, kX, kY + 100), up(kX, kY + 100)},
       "m c m c "},
      {"lifted off the picture", {down(1000), up(kX, 700)}, "m "},
      {"down on the border", {down(1000, kOnBorder, kY), up(kOnBorder, kY)}, ""},
  };
  for (const auto& [what, inputs, calls] : cases) EXPECT_EQ(calls_for(inputs), calls) << what;
}

// The first finger on the window is the pointer until it lifts, whatever the others do meanwhile.
TEST(FirstFinger, IsThePointerUntilItLifts) {
  enum Touch { down, move, up, cancel };
  struct Event {
    Touch kind;
    std::int64_t point;
    int y = 0;
  };
  const struct {
    const char* what;
    std::vector<Event> events;
    std::string inputs;
  } cases[] = {
      {"a finger down, moving, up", {{down, 7, 10}, {move, 7, 20}, {up, 7}}, "D10 M20 U20 "},
      {"a second finger meanwhile",
       {{down, 1, 10}, {down, 2, 50}, {move, 2, 60}, {move, 1, 20}, {up, 2}, {up, 1}},
       "D10 M20 U20 "},
      {"the second finger once the first has lifted",
       {{down, 1, 10}, {up, 1}, {down, 2, 50}, {up, 2}},
       "D10 U10 D50 U50 "},
      {"taken back by the window system", {{down, 1, 10}, {cancel, 0}, {cancel, 0}}, "D10 U-1 "},
      {"a point never down", {{move, 3, 10}, {up, 3}}, ""},
  };
  for (const auto& [what, events, inputs] : cases) {
    FirstFinger finger;
    std::string seen;
    for (const auto& [kind, point, y] : events) {
      const std::optional<WindowInput> input =
          kind == down   ? finger.down(point, 150, y, 0)
          : kind == move ? finger.moved(point, 150, y)
          : kind == up   ? finger.up(point, 0)
                         : finger.cancelled();
      if (!input) continue;
      EXPECT_TRUE(input->touch) << what;
      const char letter = input->kind == WindowInput::Kind::moved      ? 'M'
                          : input->kind == WindowInput::Kind::pressed ? 'D'
                                                                      : 'U';
      seen += letter + std::to_string(input->y) + " ";
    }
    EXPECT_EQ(seen, inputs) << what;
  }
}

TEST(InputTranslator, KeysAndMovementsInTheOrderTheyCame) {
  const struct {
    const char* what;
    std::vector<WindowInput> inputs;
    std::string calls;
  } cases[] = {
      {"mixed", {typed('+'), moved(kX, kY), pressed(1), typed(0x1B), released()}, "k43 m k27 c "},
      {"a character that a key code cannot hold, or none, is no key",
       {typed(0x2212), typed(0x7FFF), typed(0x8000), typed(0x1F600), typed(0)},
       "k8722 k32767 "},
      // Ctrl+[ and Ctrl+3 type Escape under xkbcommon's control transformation; Ctrl+. types ".".
      {"keys held with Ctrl, Alt or a logo key",
       {combined(0x1B), combined('.'), combined('+'), typed('-')},
       "k45 "},
      {"the pointer told twice at one place, as Wayland does when it comes in",
       {moved(kX, kY), moved(kX, kY), moved(kX, kY + 1), moved(kX + 1, kY + 1)},
       "m m m "},
      {"the pointer back where it was, after a place off the picture",
       {moved(kX, kY), moved(kOnBorder, kY), moved(kX, kY)},
       "m m "},
  };
  for (const auto& [what, inputs, calls] : cases) EXPECT_EQ(calls_for(inputs), calls) << what;
}

// Windows types a character beyond the first 65536 as two units; an unpaired one is no character.
TEST(Utf16Characters, PairsOfSurrogatesAreOneCharacter) {
  const struct {
    const char* what;
    std::vector<char16_t> units;
    std::u32string characters;
  } cases[] = {
      {"plain units", {u'+', u'-', 0x1B, 0xFFFF}, U"+-\x1B\xFFFF"},
      {"a pair", {0xD83D, 0xDE00, u'.'}, U"\U0001F600."},
      {"the first and the last pair", {0xD800, 0xDC00, 0xDBFF, 0xDFFF}, U"\U00010000\U0010FFFF"},
      {"a low surrogate alone", {0xDC00, u'*'}, U"*"},
      {"a high surrogate before a plain unit", {0xD83D, u'/'}, U"/"},
      {"two high surrogates", {0xD83D, 0xD83D, 0xDE00}, U"\U0001F600"},
  };
  for (const auto& [what, units, characters] : cases) {
    Utf16Characters decoder;
    std::u32string decoded;
    for (const char16_t unit : units)
      if (const auto character = decoder.take(unit)) decoded += *character;
    EXPECT_EQ(decoded, characters) << what;
  }
}

// Only movements over the visible inner area count; they arrive in its scale.
TEST(InputTranslator, PositionsOverTheVisiblePictureInItsScale) {
  for (int zoom = 1; zoom <= 3; ++zoom) {
    const window::Layout layout = window::layout_at(zoom);
    InputTranslator translator(layout, kDoubleClickTime, kDoubleClickDistance * zoom);
    const int right = layout.inner.x + layout.inner.width - 1;
    const int bottom = layout.inner.y + layout.visible_rows - 1;
    const auto corner = translator.translate(moved(layout.inner.x, layout.inner.y), TimePoint{});
    ASSERT_TRUE(corner) << zoom;
    EXPECT_EQ(corner->x, 0.0f);
    EXPECT_EQ(corner->y, 0.0f);
    const auto far = translator.translate(moved(right, bottom), TimePoint{});
    ASSERT_TRUE(far) << zoom;
    EXPECT_NEAR(far->x, 14.8337f, 0.05f) << zoom;
    EXPECT_NEAR(far->y, 21.4f, 0.05f) << zoom;
    for (const auto& [x, y] : {std::pair{layout.inner.x - 1, 100},
                               {right + 1, 100},
                               {100, layout.inner.y - 1},
                               {100, bottom + 1}})
      EXPECT_FALSE(translator.translate(moved(x, y), TimePoint{}))
          << zoom << ": " << x << ", " << y;
  }
}

}  // namespace
}  // namespace nuv::host
