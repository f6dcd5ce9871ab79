#pragma once
// A fresh directory under the system's temporary directory, removed with everything in it at the end.

#include <cstdint>
#include <filesystem>
#include <string>

namespace skerrow::test {

class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Str() const { return m_path.string(); }

    // Writes a file below the directory (creating its parents) and returns its full path.
    std::filesystem::path WriteFile(const std::string& relative, const std::string& contents);
    // Makes a file of the given size (sparse where the file system allows).
    std::filesystem::path MakeFileOfSize(const std::string& relative, uint64_t size);
    std::filesystem::path MakeDir(const std::string& relative);
    // Binds a local socket there and closes it: the socket file stays. Empty when that failed.
    std::filesystem::path MakeSocket(const std::string& relative);
    std::string ReadFile(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

// The permission bits of path itself (a link's own), or 07777 + 1 when it cannot be read.
unsigned ModeOf(const std::filesystem::path& path);

} // namespace skerrow::test
