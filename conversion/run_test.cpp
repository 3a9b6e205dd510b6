#include "conversion/run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// An empty argument vector has no argv[0] to name the program by: the
// built-in name stands in, and the missing operands end in the usage text.
TEST(RunDeathTest, EmptyArgumentVectorEndsInUsage)
{
    char *no_arguments[] = {nullptr};
    EXPECT_EXIT(run_conversion(0, no_arguments), testing::ExitedWithCode(64),
                testing::StrEq("usage: rx50order [-t] pdp-rx-file pro-rx-file\n"
                               "       rx50order -f pro-rx-file pdp-rx-file\n"));
}

} // namespace
