#include "host/ending_signals.hpp"

#include <cstdlib>

// A page receives no signals: closing its tab ends the program with the page.

namespace nuv::host {

EndingSignals::EndingSignals() = default;
EndingSignals::~EndingSignals() = default;

Waitable EndingSignals::descriptor() const {
  return -1;
}

std::optional<int> EndingSignals::take_noted() {
  return std::nullopt;
}

void EndingSignals::defer(bool) {}

void EndingSignals::end_by(int signal) {
  std::exit(128 + signal);
}

}  // namespace nuv::host
