#pragma once

#include "portmon/MaskFile.h"
#include "report/RunRecord.h"

#include <vector>

namespace quorvex {

// A mask for every block whose answers differed, between the runs or from the
// log: each byte that did is any byte, and a length that did ends the pattern
// with "*". Blocks are taken in order; a run cut short adds what it has.
MaskSet learnMasks(const std::vector<RunRecord>& runs);

}  // namespace quorvex
