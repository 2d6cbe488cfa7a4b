#include "RunRecord.h"

namespace quorvex {

const char* verdictName(Verdict verdict)
{
    switch (verdict) {
        case Verdict::Match:
            return "match";
        case Verdict::Mismatch:
            return "mismatch";
        case Verdict::Late:
            return "late";
    }
    return "";
}

long RunRecord::count(Verdict verdict) const
{
    long n = 0;
    for (const BlockRecord& block : blocks) {
        n += block.verdict == verdict ? 1 : 0;
    }
    return n;
}

ByteMark markOf(const BlockRecord& block, std::size_t at)
{
    const bool hasGot = at < block.got.size();
    const bool hasExpected = at < block.expected.size();
    const bool allowed = block.pattern.allowsAny(at);
    if (hasGot && allowed) {
        return hasExpected && block.expected[at] == block.got[at] ? ByteMark::Same
                                                                  : ByteMark::Masked;
    }
    if (hasGot != hasExpected) {
        return at < block.pattern.bytes.size() || hasGot ? ByteMark::Differs : ByteMark::Same;
    }
    return hasGot && block.expected[at] != block.got[at] ? ByteMark::Differs : ByteMark::Same;
}

}  // namespace quorvex
