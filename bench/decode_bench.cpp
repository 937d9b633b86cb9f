// What the viewer does with its stored frames at each zoom (the argument): reading the eighteen
// records into image controls, which checks each and indexes its rows, as the viewer does once;
// and showing a frame after the one before it in the client area, decoding its codes into the
// area's pixels and comparing them with what they were, as the viewer does for every picture put
// on screen. `record_bytes` counts the bytes of the eighteen records.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "frames/picture_record.hpp"
#include "frames/stored_frames.hpp"
#include "host/client_area.hpp"
#include "window/layout.hpp"

namespace {

using nuv::frames::kFrameCount;

std::vector<nuv::host::PictureRef> read_all(int zoom) {
  std::vector<nuv::host::PictureRef> pictures;
  for (int number = 1; number <= kFrameCount; ++number)
    pictures.push_back(std::make_shared<const nuv::frames::EncodedPicture>(
        nuv::frames::stored_picture(number, zoom)));
  return pictures;
}

void ReadAllEighteenRecords(benchmark::State& state) {
  const auto zoom = static_cast<int>(state.range(0));
  std::size_t record_bytes = 0;
  for (int number = 1; number <= kFrameCount; ++number)
    record_bytes += nuv::frames::stored_record(number, zoom).size();
  for (auto _ : state) benchmark::DoNotOptimize(read_all(zoom));
  state.counters["record_bytes"] = static_cast<double>(record_bytes);
}
BENCHMARK(ReadAllEighteenRecords)
    ->DenseRange(1, nuv::frames::kMaxZoom)
    ->ArgName("zoom")
    ->Unit(benchmark::kMillisecond);

void ShowTheNextFrame(benchmark::State& state) {
  const auto zoom = static_cast<int>(state.range(0));
  const auto pictures = read_all(zoom);
  nuv::host::ClientArea area(nuv::window::layout_at(zoom));
  std::size_t next = 0;
  for (auto _ : state) {
    area.show(pictures[next]);
    benchmark::DoNotOptimize(area.take_changed());
    next = (next + 1) % pictures.size();
  }
}
BENCHMARK(ShowTheNextFrame)
    ->DenseRange(1, nuv::frames::kMaxZoom)
    ->ArgName("zoom")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
