#include "core/updates/AppVersion.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(AppVersion, Components) {
    using V = std::vector<std::int64_t>;
    struct Case {
        const char* text;
        V components;
    } cases[] = {
        {"1.4.2", {1, 4, 2}}, {"1..3", {1, 3}},
        {".1.", {1}},         {"", {}},
        {"2.0-beta", {2, 0}}, {"beta.1", {0, 1}},
        {"+3.-2", {3, -2}},   {"+.-.+-1", {0, 0, 0}},
        {" 1.2", {0, 2}},     {"9223372036854775807.9223372036854775808", {9223372036854775807, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppVersion::components(c.text), c.components) << c.text;
}

TEST(AppVersion, IsNewer) {
    struct Case {
        const char* candidate;
        const char* installed;
        bool newer;
    } cases[] = {
        {"1.10", "1.9", true},     {"1.9", "1.10", false},  {"1.2.1", "1.2", true},
        {"1.2.0", "1.2", false},   {"1.2", "1.2.0", false}, {"1.2", "1.2", false},
        {"1.3-rc1", "1.2", false},                          // 1.0 against 1.2
        {"2.0-beta", "1.9", true}, {"v2.0", "1.0", false},  // "v2" counts as 0
        {"0.0.1", "", true},       {"", "0.0.0", false},    {"1.-1", "1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppVersion::isNewer(c.candidate, c.installed), c.newer)
            << c.candidate << " vs " << c.installed;
    }
}

}  // namespace
}  // namespace cadro
