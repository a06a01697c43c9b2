#include "platform/interrupt_cleanup.h"

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#include <time.h>
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
// A folder to remove when empty. Records are made outside the handler and never freed (the
// handler may be reading one on another thread while its owner lets it go): a record let go
// is only marked, and stays on the list, which holds the latest first.
struct FolderRecord {
  std::atomic<bool> live{true};
  FolderRecord* next = nullptr;
  char path[kMaxCleanupPath];
};
std::atomic<FolderRecord*> folders{nullptr};

// Guards alive (threads creating a temporary file), and whether a handler has begun. A guard
// counts itself before it looks at `dying`; the handler sets `dying` before it reads the
// count: so either the guard sees the handler and creates nothing, or the handler sees the
// guard and waits for its file to be registered.
std::atomic<int> creating{0};
std::atomic<bool> dying{false};

// How long a handler waits for the guards (each is an open and a few stores): long enough for
// a slow disk, short enough that a stuck one does not keep the process from ending.
constexpr int kGuardWaitSteps = 2000;
constexpr long kGuardWaitStepNanoseconds = 1000000;  // 1 ms: 2 s in all

sigset_t cleanupSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kSignals) sigaddset(&set, signal);
  return set;
}

extern "C" void removeAndReraise(int signal) {
  dying.store(true);
  for (int step = 0; step < kGuardWaitSteps && creating.load() != 0; ++step) {
    const struct timespec pause {0, kGuardWaitStepNanoseconds};
    nanosleep(&pause, nullptr);  // async-signal-safe
  }
  for (Slot& slot : slots) {
    if (slot.used.load()) unlink(slot.path);  // async-signal-safe
  }
  for (FolderRecord* folder = folders.load(); folder != nullptr; folder = folder->next) {
    if (folder->live.load()) rmdir(folder->path);  // async-signal-safe; fails unless empty
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
    action.sa_mask = cleanupSignals();
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

void CleanupFolders::add(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= kMaxCleanupPath) return;
  installHandlers();
  auto* record = new FolderRecord;
  std::memcpy(record->path, path, length + 1);
  record->next = folders.load();
  while (!folders.compare_exchange_weak(record->next, record)) {
  }
  added_.push_back(record);
}

CleanupFolders::~CleanupFolders() {
  for (void* record : added_) static_cast<FolderRecord*>(record)->live.store(false);
}

CleanupCreationGuard::CleanupCreationGuard() {
  installHandlers();
  const sigset_t blocked = cleanupSignals();
  pthread_sigmask(SIG_BLOCK, &blocked, &savedMask_);
  creating.fetch_add(1);
  if (dying.load()) {
    // A handler is removing the files on another thread and will end the process; this
    // thread's file would be made after that: make none, and wait for the end (the signals
    // stay blocked here, so pause() does not return for them).
    creating.fetch_sub(1);
    for (;;) pause();
  }
}

CleanupCreationGuard::~CleanupCreationGuard() {
  creating.fetch_sub(1);
  pthread_sigmask(SIG_SETMASK, &savedMask_, nullptr);
}

#else

int registerCleanup(const char*) { return -1; }
void unregisterCleanup(int) {}
CleanupCreationGuard::CleanupCreationGuard() = default;
CleanupCreationGuard::~CleanupCreationGuard() = default;
void CleanupFolders::add(const char*) {}
CleanupFolders::~CleanupFolders() = default;

#endif
