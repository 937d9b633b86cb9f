// The host of the real window against a scripted window system whose time passes only while it
// sleeps: when the window is activated, which pump pass hands each input to the handlers, what is
// put on screen, and how each way of ending ends.

#include "host/window_host.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace nuv::host {
namespace {

using namespace std::chrono_literals;

TimePoint at(Duration since_start) {
  return TimePoint{} + since_start;
}

// What the window system does, moments counted from the start.
struct Script {
  struct Arrival {
    Duration at;
    WindowInput input;
  };
  Duration shown_from{};                   // the window is on screen from then on
  Duration ready_from{};                   // ... and takes pictures from then on
  std::pair<Duration, Duration> hidden{};  // from, until: minimised meanwhile
  Duration oversleep{};                    // how late a sleep wakes at its deadline
  std::vector<Arrival> arrivals;
  std::optional<Duration> closed_at;     // the close control is pressed then
  std::optional<Duration> lost_at;       // the window system fails then
  std::optional<Duration> signalled_at;  // SIGTERM comes then
  std::string notice;                    // the zoom notice
};

// Moved in, not copied: GCC 12 warns of a null copy into an empty vector that cannot happen.
Script script_of(std::vector<Script::Arrival> arrivals) {
  Script script;
  script.arrivals = std::move(arrivals);
  return script;
}

// A picture put on screen.
struct Present {
  TimePoint at;
  const frames::EncodedPicture* picture;
  bool repaint;
};

// A window system that follows a script, and notes what it is given to show and the zooms it is
// asked to use.
class ScriptedWindowSystem final : public WindowSystem {
 public:
  ScriptedWindowSystem(const Script& script, std::vector<Present>& presents,
                       std::vector<int>& zooms_used)
      : script_(script), presents_(presents), zooms_used_(zooms_used) {}

  const window::Layout& layout() const override { return layout_; }
  void use_zoom(int zoom) override {
    layout_ = window::layout_at(zoom);
    zooms_used_.push_back(zoom);
  }
  std::string zoom_notice() const override { return script_.notice; }
  std::chrono::milliseconds double_click_time() const override { return kDoubleClickTime; }
  void present(const PictureRef& picture, bool repaint) override {
    presents_.push_back({now_, picture.get(), repaint});
  }
  bool visible() const override {
    const bool minimised = now_ >= at(script_.hidden.first) && now_ < at(script_.hidden.second);
    return now_ >= at(script_.shown_from) && !minimised;
  }
  bool ready() const override { return now_ >= at(script_.ready_from); }
  Duration refresh() const override { return kAssumedRefresh; }
  TimePoint now() const override { return now_; }

  void read(std::vector<WindowInput>& input) override {
    if (script_.closed_at && now_ >= at(*script_.closed_at)) throw ProgramExit{0};
    if (script_.lost_at && now_ >= at(*script_.lost_at))
      throw WindowSystemError("lost the scripted display");
    for (; next_ < script_.arrivals.size() && now_ >= at(script_.arrivals[next_].at); ++next_)
      input.push_back(script_.arrivals[next_].input);
  }
  // Wakes at whatever comes first: the next input, the window shown or hidden, the close control,
  // the loss or the signal, at once; or the deadline, late by the oversleep.
  void wait(TimePoint until, Waitable, std::vector<WindowInput>& input) override {
    TimePoint wake = until + script_.oversleep;
    for (const auto moment :
         {std::optional(script_.shown_from), std::optional(script_.ready_from),
          std::optional(script_.hidden.first), std::optional(script_.hidden.second),
          script_.closed_at, script_.lost_at, script_.signalled_at})
      if (moment && at(*moment) > now_) wake = std::min(wake, at(*moment));
    if (next_ < script_.arrivals.size())
      wake = std::min(wake, std::max(now_, at(script_.arrivals[next_].at)));
    const TimePoint before = now_;
    now_ = std::max(now_, wake);
    if (script_.signalled_at && before < at(*script_.signalled_at) &&
        now_ >= at(*script_.signalled_at))
      raise(SIGTERM);
    read(input);
  }

 private:
  const Script& script_;
  std::vector<Present>& presents_;
  std::vector<int>& zooms_used_;
  window::Layout layout_ = window::layout_at(1);
  TimePoint now_{};
  std::size_t next_ = 0;
};

// Where a test that ends the process reads what the window handled: standard error.
bool echo_calls = false;

// A window object that shows Image1, then cycles with a fixed delay, noting the moment it was
// activated and each handler call with the pump pass it came in (the first pass is 1), and ends
// on Escape.
class RecordingWindow final : public WindowEvents {
 public:
  RecordingWindow(Host& host, std::chrono::microseconds delay, std::function<TimePoint()> clock)
      : host_(host), delay_(delay), clock_(std::move(clock)) {}

  [[noreturn]] void activate() override {
    activated_at = clock_();
    first_picture = host_.image_picture(1);
    host_.set_picture(first_picture);
    for (;;) {
      host_.idle(delay_);
      ++passes;
      host_.pump();
    }
  }
  void key_press(std::int16_t code) override {
    note("k" + std::to_string(code));
    if (code == 27) {
      host_.clear_window();
      host_.end_program();
    }
  }
  void mouse_move(float x, float y) override {
    note("m");
    moved_to.push_back({x, y});
  }
  void click() override { note("c"); }
  void double_click() override { note("d"); }

  int passes = 0;
  TimePoint activated_at;
  PictureRef first_picture;
  std::vector<window::Point> moved_to;  // in scale units
  std::string calls;  // "k43@1 m@1 c@2 ", say

 private:
  void note(const std::string& call) {
    calls += call + "@" + std::to_string(passes) + " ";
    if (echo_calls) std::fprintf(stderr, "%s@%d ", call.c_str(), passes);
  }

  Host& host_;
  std::chrono::microseconds delay_;
  std::function<TimePoint()> clock_;
};

WindowInput typed(char32_t character) {
  return WindowInput::typed_key(character);
}
WindowInput moved(int x, int y) {
  return WindowInput::moved_to(x, y);
}
WindowInput pressed(std::uint32_t time) {
  return WindowInput::button(true, 150, 300, true, time);
}
WindowInput released() {
  return WindowInput::button(false, 150, 300, true, 0);
}

struct Outcome {
  int status = -1;
  std::string errors;  // standard error
  std::string calls;
  TimePoint activated_at;
  std::vector<Present> presents;
  bool first_present_is_the_first_picture = false;
  int first_picture_width = 0;  // at the end
  std::vector<window::Point> moved_to;
  std::vector<int> zooms_used;
};

Outcome run(const Script& script, std::chrono::microseconds delay = 10000us) {
  Outcome outcome;
  const ScriptedWindowSystem* window_system = nullptr;
  WindowHost host([&] {
    auto made =
        std::make_unique<ScriptedWindowSystem>(script, outcome.presents, outcome.zooms_used);
    window_system = made.get();
    return made;
  });
  RecordingWindow window(host, delay, [&] { return window_system->now(); });
  // Where the calls are echoed, standard error is the reader's: a test that ends the process
  // reads it there.
  if (!echo_calls) ::testing::internal::CaptureStderr();
  outcome.status = host.start(window);
  if (!echo_calls) outcome.errors = ::testing::internal::GetCapturedStderr();
  outcome.calls = window.calls;
  outcome.activated_at = window.activated_at;
  outcome.first_present_is_the_first_picture =
      !outcome.presents.empty() && outcome.presents.front().picture == window.first_picture.get();
  outcome.first_picture_width = window.first_picture ? window.first_picture->width() : 0;
  outcome.moved_to = window.moved_to;
  return outcome;
}

// The window object is activated only once the window is on screen and takes pictures, so that
// its first picture is seen; input that comes before waits for the first pump pass, in the order
// it came.
TEST(WindowHost, ActivatesOnceTheWindowIsShownAndHandsOnEarlierInputInTheFirstPass) {
  for (const auto& [shown_from, ready_from] : {std::pair{300ms, 0ms}, {0ms, 300ms}}) {
    Script script = script_of({{10ms, typed('+')}, {20ms, moved(150, 300)}, {30ms, typed(27)}});
    script.shown_from = shown_from;
    script.ready_from = ready_from;
    const Outcome outcome = run(script);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.activated_at, at(300ms)) << "shown from " << shown_from.count();
    EXPECT_EQ(outcome.calls, "k43@1 m@1 k27@1 ");
    ASSERT_FALSE(outcome.presents.empty());
    EXPECT_TRUE(outcome.first_present_is_the_first_picture);
  }
}

// Input is handed on in the pump pass of the first cycle due after it came, as if every wait had
// ended on time, also where the waits wake late and cycles are caught up.
TEST(WindowHost, HandsOnInputInTheCycleItArrivedIn) {
  const struct {
    const char* what;
    std::chrono::microseconds delay;
    Duration oversleep;
    std::vector<Script::Arrival> arrivals;
    std::string calls;
  } cases[] = {
      {"waits that end on time",
       10000us,
       {},
       {{5ms, typed('+')}, {15ms, typed('-')}, {16ms, moved(10, 10)}, {31ms, typed(27)}},
       "k43@1 k45@2 m@2 k27@4 "},
      {"a click over two passes, and a double click",
       10000us,
       {},
       {{5ms, pressed(5)}, {15ms, released()}, {16ms, pressed(16)}, {17ms, typed(27)}},
       "c@2 d@2 k27@2 "},
      {"waits of 1 ms that wake 5 ms late",
       1000us,
       5ms,
       {{2500us, typed('+')}, {6500us, typed('-')}, {20500us, typed(27)}},
       "k43@3 k45@7 k27@21 "},
  };
  for (const auto& [what, delay, oversleep, arrivals, calls] : cases) {
    Script script = script_of(arrivals);
    script.oversleep = oversleep;
    const Outcome outcome = run(script, delay);
    EXPECT_EQ(outcome.calls, calls) << what;
    EXPECT_EQ(outcome.status, 0) << what;
  }
}

// A picture goes on screen only while the window shows; Escape draws the whole client area again
// before the program ends.
TEST(WindowHost, PresentsOnlyWhileShownAndRepaintsAllAtTheEnd) {
  Script script = script_of({{600ms, typed(27)}});
  script.hidden = {50ms, 500ms};
  const Outcome outcome = run(script);
  ASSERT_EQ(outcome.status, 0);
  for (const Present& present : outcome.presents)
    EXPECT_FALSE(present.at >= at(50ms) && present.at < at(500ms)) << "a picture while hidden";
  ASSERT_GE(outcome.presents.size(), 2u);
  EXPECT_FALSE(outcome.presents.front().repaint);
  EXPECT_TRUE(outcome.presents.back().repaint) << "the window is not cleared";
  EXPECT_GE(outcome.presents.back().at, at(600ms));
}

// The desktop asks for another zoom: the picture the window object holds is loaded again at it and
// drawn whole before the next cycle; input before the change is read at the old scale and input
// after it at the new, the calls queued keep their place; the same zoom again changes nothing.
TEST(WindowHost, AChangeOfZoomReloadsThePicturesInPlaceAndReadsWhatFollowsAtItsScale) {
  const Script script = script_of({{5ms, moved(150, 300)},
                                   {12ms, WindowInput::rescaled_to(2)},
                                   {12ms, moved(301, 601)},
                                   {12ms, typed('+')},
                                   {25ms, WindowInput::rescaled_to(2)},
                                   {40ms, typed(27)}});
  const Outcome outcome = run(script);
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.zooms_used, std::vector<int>{2});
  EXPECT_EQ(outcome.first_picture_width, 2 * frames::kFrameWidth);
  EXPECT_EQ(outcome.calls, "m@1 m@2 k43@2 k27@4 ");
  ASSERT_EQ(outcome.moved_to.size(), 2u);
  EXPECT_FLOAT_EQ(outcome.moved_to[1].x, outcome.moved_to[0].x + 0.5f * window::kScaleWidth /
                                                                      window::kPicture1Inner.width);
  const auto redrawn = std::find_if(outcome.presents.begin(), outcome.presents.end(),
                                    [](const Present& present) { return present.at >= at(12ms); });
  ASSERT_NE(redrawn, outcome.presents.end());
  EXPECT_LT(redrawn->at, at(20ms)) << "the picture at the new zoom waits for the next cycle";
  EXPECT_TRUE(outcome.first_present_is_the_first_picture);
}

TEST(WindowHost, EndsWithTheStatusOfEachWayOfEnding) {
  const struct {
    const char* what;
    std::optional<Duration> closed_at, lost_at;
    std::vector<Script::Arrival> arrivals;
    std::string notice;
    int status;
    std::string errors;
  } cases[] = {
      {"the close control", 40ms, {}, {}, "", 0, ""},
      {"Escape", {}, {}, {{40ms, typed(27)}}, "", 0, ""},
      {"the window system failing",
       {},
       40ms,
       {},
       "",
       1,
       "nuv: run-time error: lost the scripted display\n"},
      {"the close control, with a zoom notice",
       40ms,
       {},
       {},
       "nuv: a notice",
       0,
       "nuv: a notice\n"},
  };
  setenv("NUV_ERROR_DIALOG", "0", 1);
  for (const auto& [what, closed_at, lost_at, arrivals, notice, status, errors] : cases) {
    Script script = script_of(arrivals);
    script.closed_at = closed_at;
    script.lost_at = lost_at;
    script.notice = notice;
    const Outcome outcome = run(script);
    EXPECT_EQ(outcome.status, status) << what;
    EXPECT_EQ(outcome.errors, errors) << what;
  }
}

// An ending signal noted during a frame wait ends the process by that signal, once the window is
// released.
TEST(WindowHostDeathTest, AnEndingSignalEndsTheProcessByIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A host that missed the signal would handle the key, then end on Escape.
  Script script = script_of({{100ms, typed('a')}, {200ms, typed(27)}});
  script.signalled_at = 30ms;
  EXPECT_EXIT(
      {
        echo_calls = true;
        run(script);
      },
      ::testing::KilledBySignal(SIGTERM), ::testing::Not(::testing::HasSubstr("k97")));
}

}  // namespace
}  // namespace nuv::host
