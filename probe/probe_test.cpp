#include "probe/probe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// An empty argument vector has no argv[0] to name the program by: the
// built-in name stands in, and the missing operand ends in the usage text.
TEST(ProbeDeathTest, EmptyArgumentVectorEndsInUsage)
{
    char *no_arguments[] = {nullptr};
    EXPECT_EXIT(run_probe(0, no_arguments), testing::ExitedWithCode(64),
                testing::StrEq("usage: rx50probe image-file ...\n"));
}

} // namespace
