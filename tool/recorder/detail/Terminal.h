#pragma once

#include "recorder/Recording.h"

#include <kq/io/SerialConfig.h>

#include <string>

namespace quorvex {
namespace detail {

// The line settings of a terminal; on a pseudo-terminal's master, those of its
// slave. extproc tells whether the slave still reports its changes. Throws when
// the terminal cannot be read.
LineState readLineState(int fd, bool& extproc);

// Turns the reporting of changes on again from the master side: a program that
// puts its terminal in raw mode clears EXTPROC with everything else.
void keepReporting(int masterFd);

// Raw transfer with the line settings the configuration sets; extproc makes a
// pseudo-terminal's slave report its changes. drain: bytes already written
// leave at the old settings first. Throws "can't configure '<name>'".
void configureTerminal(int fd, const kq::io::SerialConfig& config, bool extproc, bool drain);

}  // namespace detail
}  // namespace quorvex
