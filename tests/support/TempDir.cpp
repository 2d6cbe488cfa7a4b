#include "support/TempDir.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace kqtest {

TempDir::TempDir()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("kqtest-" + std::to_string(random()));
        // create_directory reports false when the name is taken: try another.
        if (std::filesystem::create_directory(candidate)) {
            root_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no unique temporary folder under " + base.string());
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempDir::writeFile(const std::string& name, const std::string& content) const
{
    const auto file = root_ / name;
    std::ofstream stream(file, std::ios::binary);
    stream << content;
    if (!stream.flush()) {
        throw std::runtime_error("can't write " + file.string());
    }
    return file.string();
}

}  // namespace kqtest
