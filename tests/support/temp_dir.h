#pragma once

#include <filesystem>
#include <random>
#include <string>

// A directory of its own for one test, removed with everything in it afterwards.
class TempDir
{
public:
    TempDir()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("glyphward-test-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};
