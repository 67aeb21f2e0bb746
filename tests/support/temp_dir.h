#pragma once

#include <filesystem>
#include <string>

namespace pezolva::testing {

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // path() / name, as text.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Writes `content` to `path`, creating or replacing it.
void write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);

}  // namespace pezolva::testing
