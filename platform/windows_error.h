#pragma once

// Windows only: the reason text of a system error code (GetLastError), worded as the C
// library words the same errno where there is one ("No such file or directory", "Permission
// denied"), so that messages read alike on every system.

#ifdef _WIN32

#include <string>

std::string windowsErrorText(unsigned long code);

// The reason given when another program holds a file open without sharing it.
inline constexpr const char* kHeldOpenReason =
    "another program holds it open (close that program, then run again)";

#endif
