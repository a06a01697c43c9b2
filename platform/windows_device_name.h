#pragma once

#include <string_view>

// True when the last component of `path` is a name Windows keeps for a device, so that
// opening it, in any folder, reaches the device and not a file: CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9 and COM or LPT with a superscript 1, 2 or 3 (in Latin-1 / code page 1252
// or in UTF-8), in any letter case, taken from the component's start up to its first dot
// or colon, less trailing blanks ("nul.obj", "Con .txt", "c:\out\aux.tar.gz", "lpt1:").
// Both '/' and '\' separate components, on every platform, so the same path gives the same
// answer everywhere. Pure: it looks at the text alone.
[[nodiscard]] bool namesWindowsDevice(std::string_view path);
