#pragma once

#include <filesystem>
#include <string>

namespace kqtest {

// A fresh, uniquely named folder under the system's temporary folder,
// removed with everything in it by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return root_; }
    // Writes content byte for byte (no line-end translation); returns the file's path.
    std::string writeFile(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path root_;
};

}  // namespace kqtest
