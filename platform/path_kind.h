#pragma once

#include <string>

// What a message says of a path that is not the regular file (or folder) it should be, after
// the path: "does not exist", "is a folder", "is a FIFO", "is a character device", "is a block
// device", "is a socket", "is a link that leads nowhere", "is a link to the character device
// '/dev/zero'", "is a regular file" (links followed to say where they lead). On Windows:
// "does not exist", "is a folder", "is a link to a folder", "is a device or another kind of
// file", "is a regular file".
std::string describePath(const std::string& path);
