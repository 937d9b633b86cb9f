#pragma once
// The order statistics the measurement tools report: a quantile of the samples, their median.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace nuv::bench {

// The sample below which the given fraction of the samples lie (the nearest rank); the samples
// must not be empty.
inline double quantile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  return samples[static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) +
                                          0.5)];
}

inline double median(std::vector<double> samples) {
  return quantile(std::move(samples), 0.5);
}

}  // namespace nuv::bench
