#pragma once

// Removes registered temporary files (and then the registered folders the run made, when
// they are empty) when the process is interrupted by SIGINT, SIGTERM or SIGHUP, then ends the
// process by the same signal (so the exit status is the signal's usual one). A signal the process ignores (e.g. SIGHUP under nohup) stays ignored. SIGKILL cannot
// be caught: files created without a name (O_TMPFILE) are what covers it.
//
// Only a few files can be registered at once (one output and one base file are ever open
// together); a path beyond kMaxCleanupPath bytes is not registered and then stays behind on a
// signal. No-op on Windows, where the console's Ctrl+C ends the process without handlers.

#include <cstddef>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#endif

inline constexpr std::size_t kMaxCleanupPath = 4096;

// A slot number for unregisterCleanup, or -1 when no slot is free or the path is too long.
int registerCleanup(const char* path);
void unregisterCleanup(int slot);

// The folders a run created for its outputs, for the life of this object: on a signal, after
// the registered files are removed, each is removed when it is empty, the latest added first
// (a folder is added after the one that holds it). One that holds anything stays.
class CleanupFolders {
 public:
  CleanupFolders() = default;
  ~CleanupFolders();
  CleanupFolders(const CleanupFolders&) = delete;
  CleanupFolders& operator=(const CleanupFolders&) = delete;
  void add(const char* path);  // a path beyond kMaxCleanupPath bytes is not added

 private:
  std::vector<void*> added_;  // the handler's records of these folders
};

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
