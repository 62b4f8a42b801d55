#pragma once

#include <filesystem>
#include <string>

namespace cadro::testing {

/// A fresh folder under the system's temporary directory, removed with its
/// contents when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

/// Reads a whole file into a string (empty when it cannot be read).
std::string readFile(const std::filesystem::path& path);
/// Writes a file, replacing it.
void writeFile(const std::filesystem::path& path, const std::string& content);

}  // namespace cadro::testing
