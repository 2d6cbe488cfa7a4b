#pragma once

#include "Recording.h"

#include <kq/io/SerialConfig.h>

#include <stdexcept>
#include <string>

namespace quorvex {

struct RecorderOptions {
    // The real port, as the loader names it.
    std::string serial;
    std::string output;
    // A symbolic link to the pseudo-terminal, removed at the end; empty: none.
    std::string link;
    // A second real port for the program instead of a pseudo-terminal; empty: none.
    std::string front;
    bool once = false;
    bool force = false;
    // The line settings to start with (all five set); data bits and parity stay.
    kq::io::SerialConfig line;
};

// A port that went away while recording; the log stays as far as it got.
class PortGone : public std::runtime_error {
public:
    explicit PortGone(const std::string& port);
};

// Starts the recording: refuses to replace an existing log without force,
// creates the log, then relays until interrupted or, with once, until the
// program has opened and closed the port; prints the summary. Throws on errors.
void runRecorder(const RecorderOptions& options);

// The platform's relay: prints "port: NAME" once the program may open its
// side, then passes bytes both ways and tells the recording what happens.
// Returns when SIGINT or SIGTERM (Ctrl-C) asks it to, or the once session ended.
void relay(const RecorderOptions& options, Recording& recording);

// The configuration text completed to 115200 8N1 without flow control.
kq::io::SerialConfig startingLine(const std::string& configText);

}  // namespace quorvex
