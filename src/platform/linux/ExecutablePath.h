#pragma once

#include <filesystem>

namespace cadro {

/// The running program's own file; empty when the system does not say.
std::filesystem::path executablePath();

}  // namespace cadro
