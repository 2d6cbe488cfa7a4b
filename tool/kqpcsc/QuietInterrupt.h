#pragma once

namespace quorvex {

// From now on an interrupt (SIGINT or SIGTERM; on Windows Ctrl-C, Ctrl-Break or
// closing the console) ends the program at once with exit status 0. For a
// command whose normal end is being interrupted: every line it printed is out
// already, and the service drops what the process held.
void endQuietlyOnInterrupt();

}  // namespace quorvex
