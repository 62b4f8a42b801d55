#pragma once

#include <map>
#include <string>
#include <vector>

namespace cadro::testing {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs a program to its end with the given arguments and extra environment
/// variables (on top of a clean, minimal environment), and collects its output.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment);

}  // namespace cadro::testing
