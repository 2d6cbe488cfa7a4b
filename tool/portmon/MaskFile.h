#pragma once

#include "common/BytePattern.h"

#include <map>
#include <string>

namespace quorvex {

// The mask file's patterns, by the log line of a block's first read line.
using MaskSet = std::map<long, BytePattern>;

// Lines "L: PATTERN"; '#' starts a comment, blank lines pass. A malformed line
// throws std::runtime_error "line N: <what is wrong>".
MaskSet parseMasks(const std::string& text);
// The same from a file; the message names the file. Throws when it cannot be read.
MaskSet readMaskFile(const std::string& fileName);
// The text parseMasks() reads back.
std::string maskText(const MaskSet& masks);

}  // namespace quorvex
