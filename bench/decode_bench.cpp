// Decoding the eighteen stored frames at each zoom, as the viewer does at start for the zoom it
// shows; the argument is the zoom, and the counter the bytes of the eighteen records.

#include <benchmark/benchmark.h>

#include <string>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"

namespace {

void DecodeAllEighteenFrames(benchmark::State& state) {
  const auto zoom = static_cast<int>(state.range(0));
  std::string names[nuv::frames::kFrameCount];
  std::size_t record_bytes = 0;
  for (int i = 0; i < nuv::frames::kFrameCount; ++i) {
    names[i] = nuv::frames::image_control_name(i + 1);
    record_bytes += nuv::frames::stored_record(i + 1, zoom).size();
  }
  for (auto _ : state) {
    for (int i = 0; i < nuv::frames::kFrameCount; ++i) {
      benchmark::DoNotOptimize(nuv::frames::decode_picture_record(
          nuv::frames::stored_record(i + 1, zoom), names[i], zoom));
    }
  }
  state.counters["record_bytes"] = static_cast<double>(record_bytes);
}
BENCHMARK(DecodeAllEighteenFrames)
    ->DenseRange(1, nuv::frames::kMaxZoom)
    ->ArgName("zoom")
    ->Unit(benchmark::kMillisecond);

}  // namespace
