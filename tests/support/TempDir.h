#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// A fresh directory of the test's own under the temporary directory ($TMPDIR, else /tmp),
// named prefix-XXXXXX, removed with everything in it when the object goes.
class TempDir
{
public:
    // Throws std::system_error when the directory cannot be made.
    explicit TempDir(const std::string& prefix = "q310-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    // How many entries the directory holds (not counting those of its subdirectories).
    std::size_t EntryCount() const;

private:
    std::filesystem::path m_path;
};
