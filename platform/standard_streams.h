#pragma once

#include <string>
#include <string_view>

// The process's standard streams, as the program meets and uses them.

// Opens each of the descriptors 0, 1 and 2 that is closed on the null device (/dev/null,
// NUL), reading for 0 and writing for 1 and 2. Called first thing in main, before any file
// is opened: a closed standard output would otherwise be the lowest free descriptor, the
// next file opened would get it, and every message would be written into that file.
void openClosedStandardStreams();

// Writes `text` to standard output (text mode: "\n" is the platform's line end) and flushes
// it. False, with the system's reason in *error (when not null), when either fails, e.g.
// "No space left on device" for a standard output on /dev/full.
[[nodiscard]] bool writeStandardOutput(std::string_view text, std::string* error = nullptr);
