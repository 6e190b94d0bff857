#include "engine/pipeline.h"

#include <gtest/gtest.h>

TEST(Smoke, BuildsAStepList) {
    EXPECT_FALSE(tavrine::build_step_list(tavrine::PathKind::Latency).empty());
}
