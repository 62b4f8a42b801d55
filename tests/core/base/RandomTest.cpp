#include "core/base/Random.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

// The store draws chance to-dos with this when nothing else is injected.
TEST(SeededRandom, SpreadsOverTheUnitIntervalAndDiffersBetweenRuns) {
    SeededRandom random(42);
    double sum = 0;
    int low = 0;
    for (int i = 0; i < 10000; ++i) {
        double r = random.uniform();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        sum += r;
        low += r < 0.25;
    }
    EXPECT_NEAR(sum / 10000, 0.5, 0.02);
    EXPECT_NEAR(low / 10000.0, 0.25, 0.02);
    EXPECT_NE(SeededRandom().uniform(), SeededRandom().uniform());
}

}  // namespace
}  // namespace cadro
