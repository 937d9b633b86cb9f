// Decoding the eighteen stored frames, as the viewer does once at start.

#include <benchmark/benchmark.h>

#include <string>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"

namespace {

void DecodeAllEighteenFrames(benchmark::State& state) {
  std::string names[nuv::frames::kFrameCount];
  for (int i = 0; i < nuv::frames::kFrameCount; ++i) names[i] = "Image" + std::to_string(i + 1);
  for (auto _ : state) {
    for (int i = 0; i < nuv::frames::kFrameCount; ++i) {
      benchmark::DoNotOptimize(
          nuv::frames::decode_picture_record(nuv::frames::stored_record(i + 1), names[i]));
    }
  }
}
BENCHMARK(DecodeAllEighteenFrames)->Unit(benchmark::kMillisecond);

}  // namespace
