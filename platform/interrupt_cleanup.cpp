#include "platform/interrupt_cleanup.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {

// Temporary files open at once: an output being written, and the small files a threaded run
// holds converted ahead of the one it names (run/file_sequence.h keeps at most 32).
constexpr int kSlots = 40;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A slot's path is complete before `used` is set, and `used` is cleared before the path is
// reused, so the handler only ever reads finished paths. Lock-free atomics are safe in a
// signal handler.
struct Slot {
  std::atomic<bool> used{false};
  char path[kMaxCleanupPath];
};
Slot slots[kSlots];
std::atomic<bool> claimed[kSlots];
std::atomic<bool> installed{false};

extern "C" void removeAndReraise(int signal) {
  for (Slot& slot : slots) {
    if (slot.used.load()) unlink(slot.path);  // async-signal-safe
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);  // delivered when the handler returns: the usual status of this signal
}

void installHandlers() {
  if (installed.exchange(true)) return;
  for (const int signal : kSignals) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = removeAndReraise;
    sigemptyset(&action.sa_mask);
    for (const int other : kSignals) sigaddset(&action.sa_mask, other);
    sigaction(signal, &action, nullptr);
  }
}

}  // namespace

int registerCleanup(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= kMaxCleanupPath) return -1;
  installHandlers();
  for (int i = 0; i < kSlots; ++i) {
    if (claimed[i].exchange(true)) continue;
    std::memcpy(slots[i].path, path, length + 1);
    slots[i].used.store(true);
    return i;
  }
  return -1;
}

void unregisterCleanup(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  slots[slot].used.store(false);
  claimed[slot].store(false);
}

#else

int registerCleanup(const char*) { return -1; }
void unregisterCleanup(int) {}

#endif
