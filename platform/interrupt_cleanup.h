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

inline constexpr std::size_t kMaxCleanupPath = 4096;

// A slot number for unregisterCleanup, or -1 when no slot is free or the path is too long.
int registerCleanup(const char* path);
void unregisterCleanup(int slot);
