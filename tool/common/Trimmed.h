#pragma once

#include <string>

namespace quorvex {

// text without the blanks, tabs and carriage returns at its ends: the readers of
// hand-written files (masks, scripts) take lines from either platform.
std::string trimmed(const std::string& text);

}  // namespace quorvex
