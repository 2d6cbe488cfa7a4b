#pragma once

#include <string>

namespace quorvex {

// Plays the dump back on the serial device, printing every step on stdout.
// Throws std::runtime_error when the dump or the device cannot be opened,
// or when a payload in the dump is not hexadecimal.
void runReplay(const std::string& serialName, const std::string& inputFile);

}  // namespace quorvex
