// The pacer against a window system whose time passes only while it sleeps: what each frame
// wait sleeps, which cycles it passes over, when pictures go on screen and which pump pass
// hands on input that arrived.

#include "host/pacer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace nuv::host {
namespace {

using namespace std::chrono_literals;

constexpr Duration kRefresh = std::chrono::microseconds{16667};

class ScriptedWindow final : public PacedWindow {
 public:
  TimePoint now() const override { return now_; }
  bool visible() const override { return visible_; }
  bool ready() const override { return now_ >= ready_at; }
  Duration refresh() const override { return refresh_period; }
  void present() override { presents.push_back(now_); }
  // Wakes at the first input that arrives before `until`, or when the window system becomes
  // ready, which it says by a message.
  void sleep_until(TimePoint until) override {
    ++sleeps;
    TimePoint wake = until;
    if (!arrivals.empty()) wake = std::min(wake, arrivals.front());
    if (ready_at > now_) wake = std::min(wake, ready_at);
    now_ = std::max(now_, wake) + oversleep;
    while (!arrivals.empty() && arrivals.front() <= now_) {
      read.push_back(now_);
      arrivals.pop_front();
    }
  }

  void set_visible(bool visible) { visible_ = visible; }
  TimePoint at(Duration since_start) const { return TimePoint{} + since_start; }

  std::deque<TimePoint> arrivals;   // when input arrives
  std::vector<TimePoint> read;      // when it was read
  std::vector<TimePoint> presents;  // when a picture went on screen
  TimePoint ready_at{};
  Duration oversleep{};  // how late every sleep wakes
  Duration refresh_period = kRefresh;
  int sleeps = 0;

 private:
  TimePoint now_{};
  bool visible_ = true;
};

struct Cycles {
  int reading_passes = 0;
  // For each input read, the cycle whose pump pass hands it to the handlers (1 = the first).
  std::vector<int> handled_by;
};

// Runs cycles of the same delay, each showing a new picture, as the run loop does, until `until`.
Cycles run(Pacer& pacer, ScriptedWindow& window, std::chrono::microseconds delay, TimePoint until,
           long* cycles = nullptr) {
  Cycles seen;
  std::size_t handed_on = 0;
  long cycle = 0;
  while (window.now() < until) {
    ++cycle;
    pacer.picture_changed();
    pacer.wait(delay);
    if (pacer.pass_reads()) ++seen.reading_passes;
    for (; handed_on < window.read.size() && window.read[handed_on] <= pacer.pass_time();
         ++handed_on)
      seen.handled_by.push_back(static_cast<int>(cycle));
  }
  if (cycles != nullptr) *cycles = cycle;
  return seen;
}

struct PaceCase {
  const char* what;
  std::chrono::microseconds delay;
  bool visible;
  Duration refresh;
  int fewest_presents, most_presents;
  int fewest_sleeps, most_sleeps;
};

// One second of cycles at each delay: the cycles keep their exact rate, pictures go on screen at
// most once a refresh and never while hidden, and the sleeps are few whatever the delay.
TEST(Pacer, CyclesKeepTheirRateWhilePicturesFollowTheRefresh) {
  const PaceCase cases[] = {
      {"delay 0, visible", 1us, true, kRefresh, 59, 61, 59, 61},
      {"delay 0, hidden", 1us, false, kRefresh, 0, 0, 49, 51},
      {"delay 0, a display of 30 Hz", 1us, true, 33333us, 29, 31, 49, 81},
      {"delay 1000, visible", 1001us, true, kRefresh, 59, 61, 59, 61},
      {"delay 1000, hidden", 1001us, false, kRefresh, 0, 0, 49, 51},
      {"delay 10000, visible", 10001us, true, kRefresh, 59, 61, 59, 61},
      {"drag speed, hidden", 10001us, false, kRefresh, 0, 0, 49, 51},
      {"start-up speed", 1000001us, true, kRefresh, 1, 1, 1, 1},
  };
  for (const auto& [what, delay, visible, refresh, fewest_presents, most_presents, fewest_sleeps,
                    most_sleeps] : cases) {
    ScriptedWindow window;
    window.set_visible(visible);
    window.refresh_period = refresh;
    Pacer pacer(window);
    long cycles = 0;
    run(pacer, window, delay, window.at(1s), &cycles);
    const double seconds = std::chrono::duration<double>(window.now() - window.at(0s)).count();
    EXPECT_NEAR(static_cast<double>(cycles) * static_cast<double>(delay.count()) / 1e6, seconds,
                0.021)
        << what << ": " << cycles << " cycles in " << seconds << " s";
    const auto presents = static_cast<int>(window.presents.size());
    EXPECT_GE(presents, fewest_presents) << what;
    EXPECT_LE(presents, most_presents) << what;
    EXPECT_GE(window.sleeps, fewest_sleeps) << what;
    EXPECT_LE(window.sleeps, most_sleeps) << what;
    for (std::size_t i = 1; i < window.presents.size(); ++i)
      EXPECT_GE(window.presents[i] - window.presents[i - 1], refresh) << what;
  }
}

// Input that arrives during a nap is read as it comes; the cycles due before it arrived pass it
// by, and the first one due after it hands it on, as if every wait had ended on time.
TEST(Pacer, InputIsHandedOnByTheFirstCycleDueAfterItArrived) {
  const struct {
    const char* what;
    std::chrono::microseconds delay;
    Duration arrives;
    int handled_by;
  } cases[] = {
      {"delay 0, during the first nap", 1us, 5500us, 5500},
      {"delay 0, during a later nap", 1us, 40000us, 40000},
      {"delay 99, during a nap", 100us, 7050us, 71},
      {"start-up speed, before the deadline", 1000001us, 300ms, 1},
      {"start-up speed, in the second wait", 1000001us, 1500ms, 2},
  };
  for (const auto& [what, delay, arrives, handled_by] : cases) {
    ScriptedWindow window;
    window.arrivals.push_back(window.at(arrives));
    Pacer pacer(window);
    const Cycles seen = run(pacer, window, delay, window.at(arrives + 50ms));
    ASSERT_EQ(seen.handled_by.size(), 1u) << what;
    EXPECT_EQ(seen.handled_by[0], handled_by) << what;
  }
}

// Input arriving every millisecond wakes the sleeps, yet pictures still go on screen at most once
// a refresh.
TEST(Pacer, AStreamOfInputDrawsNoMoreOftenThanTheDisplayRefreshes) {
  ScriptedWindow window;
  for (auto at = 1ms; at < 1s; at += 1ms) window.arrivals.push_back(window.at(at));
  Pacer pacer(window);
  run(pacer, window, 1us, window.at(1s));
  EXPECT_GE(window.presents.size(), 59u);
  EXPECT_LE(window.presents.size(), 61u);
  EXPECT_EQ(window.read.size(), 999u);
}

// A picture waits until the window system has taken the last one, then goes at once.
TEST(Pacer, PresentsOnlyWhenTheWindowSystemIsReady) {
  ScriptedWindow window;
  window.ready_at = window.at(50ms);
  Pacer pacer(window);
  run(pacer, window, 1000001us, window.at(1ms));
  ASSERT_EQ(window.presents.size(), 1u);
  EXPECT_EQ(window.presents[0], window.at(50ms));
}

// Sleeps that wake late are made up by shorter waits; a wait far too late is forgiven beyond
// kLongestMakeUp, and waits of no length still let the time pass.
TEST(Pacer, MakesUpForLateWakingUpToALimit) {
  {
    ScriptedWindow window;
    window.oversleep = 20ms;
    Pacer pacer(window);
    long cycles = 0;
    run(pacer, window, 100000us, window.at(1s), &cycles);
    EXPECT_EQ(cycles, 10) << "ten cycles of 100 ms in a second, each sleep 20 ms late";
  }
  {
    ScriptedWindow window;
    window.oversleep = 1s;
    Pacer pacer(window);
    pacer.wait(1001us);
    long passed_over = 0;
    for (; window.sleeps == 1; ++passed_over) pacer.wait(1001us);
    EXPECT_EQ(passed_over - 1, kLongestMakeUp / 1001us) << "the cycles of 100 ms made up, no more";
  }
  {
    ScriptedWindow window;
    Pacer pacer(window);
    long cycles = 0;
    run(pacer, window, 0us, window.at(100ms), &cycles);
    EXPECT_NEAR(static_cast<double>(cycles), 100000, 20000) << "waits of no length";
  }
}

TEST(Pacer, ThePassAfterAWaitThatEndsOnTimeReadsTheWindowSystem) {
  ScriptedWindow window;
  Pacer pacer(window);
  EXPECT_TRUE(pacer.pass_reads()) << "while loading";
  const Cycles long_waits = run(pacer, window, 1000001us, window.at(3s));
  EXPECT_EQ(long_waits.reading_passes, 3);
  const Cycles short_waits = run(pacer, window, 1us, window.at(4s));
  EXPECT_EQ(short_waits.reading_passes, 0) << "a nap always sleeps past a short wait's deadline";
}

}  // namespace
}  // namespace nuv::host
