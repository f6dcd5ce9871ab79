#pragma once
// Our own private-profile layer: the INI file that holds every setting.
//
// Sections and keys are matched without regard to case. Values are read in full. One process-wide
// lock keeps calls from interleaving. Every write goes to a temporary file beside the real one,
// which is then renamed over it, so a crash never leaves a half-written file; a new file gets mode
// 0600 because it holds the scrambled password. Each call reads the file afresh.

#include <string>
#include <vector>

namespace skerrow {

class CIniFile {
public:
    virtual ~CIniFile() = default;

    // The key's value as an integer (leading blanks, optional sign, digits; like atoi), or
    // defaultValue when the file, section or key is absent.
    static int GetInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue);

    // The key's value in full, or defaultValue when absent.
    static std::string GetString(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& defaultValue);

    // Every line of the section ("key=value", or the line as written), in file order; empty when the
    // section is absent or holds no lines.
    static std::vector<std::string> GetSection(const std::string& path, const std::string& section);

    // The section in the platform's buffer form: each line NUL-terminated, the list ending with an
    // extra NUL. Returns the characters copied without the final NUL; size - 2 when the buffer was
    // too small (the copy is then cut); 0 when the section is absent or empty.
    static size_t GetSectionBuffer(const std::string& path, const std::string& section, char* buffer, size_t size);

    // Creates or replaces the key, creating the file and the section when absent. False when the file
    // could not be written (the old file is then untouched).
    static bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& value);

    // Replaces the whole contents of the section by the given lines (creating it when absent).
    static bool WriteSection(const std::string& path, const std::string& section, const std::vector<std::string>& lines);
};

} // namespace skerrow
