#pragma once

#include <cstdio>

namespace quorvex {

// Whether the stream writes to a terminal (a console on Windows), where a line
// may be redrawn in place.
bool isTerminal(std::FILE* stream);

}  // namespace quorvex
