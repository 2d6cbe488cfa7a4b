#include "loader/Progress.h"

#include <gtest/gtest.h>

namespace {

TEST(Progress, EstimatesTheTimeLeftFromThePaceSoFar)
{
    const struct {
        long done, total, failures, elapsed;
        const char* line;
    } cases[] = {
        {1234, 30492, 2, 30, "step 1234 of 30492, 4%, 2 mismatches, about 12 min left"},
        {50, 100, 1, 20, "step 50 of 100, 50%, 1 mismatch, about 20 s left"},
        {0, 100, 0, 0, "step 0 of 100, 0%, 0 mismatches"},
        {100, 100, 0, 90, "step 100 of 100, 100%, 0 mismatches"},
        {0, 0, 0, 0, "step 0 of 0, 100%, 0 mismatches"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            quorvex::Progress::text(c.done, c.total, c.failures, std::chrono::seconds(c.elapsed)),
            c.line);
    }
}

}  // namespace
