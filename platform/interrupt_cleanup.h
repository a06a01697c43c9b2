#pragma once

// Removes registered temporary files when the process is interrupted by SIGINT, SIGTERM or
// SIGHUP, then ends the process by the same signal (so the exit status is the signal's usual
// one). A signal the process ignores (e.g. SIGHUP under nohup) stays ignored. SIGKILL cannot
// be caught: files created without a name (O_TMPFILE) are what covers it.
//
// Only a few files can be registered at once (one output and one base file are ever open
// together); a path beyond kMaxCleanupPath bytes is not registered and then stays behind on a
// signal. No-op on Windows, where the console's Ctrl+C ends the process without handlers.

#include <cstddef>

#ifndef _WIN32
#include <signal.h>
#endif

inline constexpr std::size_t kMaxCleanupPath = 4096;

// A slot number for unregisterCleanup, or -1 when no slot is free or the path is too long.
int registerCleanup(const char* path);
void unregisterCleanup(int slot);

// Held by a thread while it creates a file and registers it (in either order): the signals
// above are blocked on this thread meanwhile, and a handler running on another thread waits
// for every guard to end before it removes the registered files. A guard begun after a
// handler has started never ends: the thread waits for the process to end, creating nothing.
// So a temporary file is either removed by the handler or never made, whatever the threads
// are doing when the signal comes.
class CleanupCreationGuard {
 public:
  CleanupCreationGuard();
  ~CleanupCreationGuard();
  CleanupCreationGuard(const CleanupCreationGuard&) = delete;
  CleanupCreationGuard& operator=(const CleanupCreationGuard&) = delete;

 private:
#ifndef _WIN32
  sigset_t savedMask_;  // this thread's signal mask before the guard
#endif
};
