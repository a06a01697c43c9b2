#pragma once

#include <cstdio>

// Whether `stream` is a terminal (a person watching), not a file or a pipe.
bool isTerminal(std::FILE* stream);
