#include "MaskLearner.h"

#include <algorithm>

namespace quorvex {

namespace {

BytePattern learnBlock(const std::vector<RunRecord>& runs, std::size_t index)
{
    BytePattern pattern = runs.front().blocks[index].pattern;
    std::size_t shortest = pattern.bytes.size();
    for (const RunRecord& run : runs) {
        if (index >= run.blocks.size()) {
            continue;
        }
        const std::vector<unsigned char>& got = run.blocks[index].got;
        pattern.anyTail = pattern.anyTail || got.size() != pattern.bytes.size();
        shortest = std::min(shortest, got.size());
        for (std::size_t i = 0; i < std::min(got.size(), pattern.bytes.size()); ++i) {
            if (pattern.bytes[i] != got[i]) {
                pattern.bytes[i] = BytePattern::any;
            }
        }
    }
    pattern.bytes.resize(shortest);
    return pattern;
}

}  // namespace

MaskSet learnMasks(const std::vector<RunRecord>& runs)
{
    MaskSet masks;
    if (runs.empty()) {
        return masks;
    }
    for (std::size_t index = 0; index < runs.front().blocks.size(); ++index) {
        const BytePattern learned = learnBlock(runs, index);
        if (learned.wildcards() > 0 || learned.anyTail) {
            masks[runs.front().blocks[index].line] = learned;
        }
    }
    return masks;
}

}  // namespace quorvex
