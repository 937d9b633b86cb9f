#include "host/ending_signals.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace nuv::host {
namespace {

// Every signal whose default action ends the process, but those a fault of the program's own
// raises (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT) and SIGPIPE, which is
// ignored; the real-time signals follow.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGUSR1,  SIGUSR2,
                                  SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ,  SIGVTALRM,
                                  SIGPROF, SIGIO,   SIGPWR,  SIGSTKFLT};

template <typename Each>
void for_each_ending_signal(Each each) {
  for (const int signal : kEndingSignals) each(signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) each(signal);
}

// Shared with the handler, which may use nothing else.
std::atomic<bool> deferring{false};
int note_pipe[2] = {-1, -1};
std::atomic<int> notes_in_pipe{0};  // so that a pipe with nothing in it is not read

void on_ending_signal(int signal) {
  if (deferring.load()) {
    const auto byte = static_cast<unsigned char>(signal);
    if (write(note_pipe[1], &byte, 1) == 1) ++notes_in_pipe;
    return;
  }
  // Blocked while this handler runs, so it ends the process as the handler returns.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

pid_t forking_process = 0;

void end_with_parent() {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != forking_process) _exit(1);  // the parent ended before the line above
}

bool started_ignored(int signal) {
  struct sigaction current {};
  sigaction(signal, nullptr, &current);
  return current.sa_handler == SIG_IGN;
}

}  // namespace

EndingSignals::EndingSignals() {
  if (pipe2(note_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::runtime_error(std::string("cannot make a pipe for signals: ") +
                             std::strerror(errno));
  struct sigaction action {};
  action.sa_handler = on_ending_signal;
  sigemptyset(&action.sa_mask);
  for_each_ending_signal([&](int signal) {
    if (!started_ignored(signal)) sigaction(signal, &action, nullptr);
  });
  // A display that goes away can close the connection under a write; the write must then fail,
  // so that the lost display is reported as the program's own run-time error rather than
  // ending the process silently.
  std::signal(SIGPIPE, SIG_IGN);
}

EndingSignals::~EndingSignals() {
  deferring = false;
  for_each_ending_signal([](int signal) {
    if (!started_ignored(signal)) std::signal(signal, SIG_DFL);
  });
  close(note_pipe[0]);
  close(note_pipe[1]);
  note_pipe[0] = note_pipe[1] = -1;
  notes_in_pipe = 0;
}

Waitable EndingSignals::descriptor() const {
  return note_pipe[0];
}

std::optional<int> EndingSignals::take_noted() {
  unsigned char byte = 0;
  if (notes_in_pipe.load() == 0 || read(note_pipe[0], &byte, 1) != 1) return std::nullopt;
  --notes_in_pipe;
  return byte;
}

void EndingSignals::defer(bool deferred) {
  deferring = deferred;
  if (!deferred)
    if (const auto signal = take_noted()) end_by(*signal);
}

void EndingSignals::end_by(int signal) {
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);  // only if the signal is blocked
}

void end_children_with_this_process() {
  if (forking_process != 0) return;
  forking_process = getpid();
  pthread_atfork(nullptr, nullptr, end_with_parent);
}

}  // namespace nuv::host
