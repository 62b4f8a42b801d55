#pragma once

#include <filesystem>
#include <string>

namespace cadro {

/// The running program's own file; empty when the system does not say.
std::filesystem::path executablePath();

/// The GNU build id the linker gave the running program, in hex; empty when
/// it has none. Two files with the same id come from the same build.
std::string executableBuildId();

}  // namespace cadro
