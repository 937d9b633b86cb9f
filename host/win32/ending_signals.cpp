#include "host/ending_signals.hpp"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <stdexcept>

// On Windows the ending signals are the console's: Ctrl+C and Ctrl+Break are SIGINT, the console
// closing, the user logging off and the system shutting down are SIGTERM. The console calls the
// handler on a thread of its own, which notes the signal and sets an event the frame wait
// watches.

namespace nuv::host {
namespace {

// What a console program ended by Ctrl+C exits with.
constexpr UINT kEndedByControlC = 0xC000013A;

std::atomic<bool> deferring{false};
std::atomic<int> noted{0};
HANDLE noted_event = nullptr;

BOOL WINAPI on_console_control(DWORD control) {
  const int signal = control == CTRL_C_EVENT || control == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
  if (!deferring.load()) EndingSignals::end_by(signal);
  noted = signal;
  SetEvent(noted_event);
  return TRUE;
}

}  // namespace

EndingSignals::EndingSignals() {
  noted_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (noted_event == nullptr) throw std::runtime_error("cannot make an event for signals");
  SetConsoleCtrlHandler(on_console_control, TRUE);
}

EndingSignals::~EndingSignals() {
  deferring = false;
  SetConsoleCtrlHandler(on_console_control, FALSE);
  CloseHandle(noted_event);
  noted_event = nullptr;
  noted = 0;
}

Waitable EndingSignals::descriptor() const {
  return noted_event;
}

std::optional<int> EndingSignals::take_noted() {
  const int signal = noted.exchange(0);
  if (signal == 0) return std::nullopt;
  ResetEvent(noted_event);
  return signal;
}

void EndingSignals::defer(bool deferred) {
  deferring = deferred;
  if (!deferred)
    if (const auto signal = take_noted()) end_by(*signal);
}

void EndingSignals::end_by(int /*signal*/) {
  ExitProcess(kEndedByControlC);
}

}  // namespace nuv::host
