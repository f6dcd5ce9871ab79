#pragma once
// Our own private-profile layer: the INI file that holds every setting.
//
// Sections and keys are matched without regard to case. Values are read in full. One process-wide
// lock keeps calls from interleaving. Every write goes to a temporary file beside the real one,
// which is then renamed over it, so a crash never leaves a half-written file; the file is left with
// mode 0600 because it holds the scrambled password. Each call reads the file afresh.
//
// A file that exists but cannot be read (no permission, a read error, not a regular file) is
// treated as holding nothing, and from then on, for the rest of the process, it is neither read nor
// written: a write would replace everything the user stored with the one key being written.

#include <string>
#include <vector>

namespace skerrow {

class CIniFile {
public:
    // Why a call could not use the file.
    struct Error {
        enum Kind { kNone, kUnreadable, kInvalidText, kSystem };
        Kind kind = kNone;
        // The system's error number; 0 with kUnreadable when the path names no regular file.
        int code = 0;
    };

    // A settings file that exists but could not be read.
    struct Unreadable {
        std::string path;
        int code = 0; // as in Error
    };

    virtual ~CIniFile() = default;

    // The key's value as an integer (leading blanks, optional sign, digits; like atoi), or
    // defaultValue when the file, section or key is absent or the value starts with no number.
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

    // Why the last write of this thread that returned false failed.
    static Error LastError();

    // The files found unreadable that have not been reported yet; each is given out once.
    static std::vector<Unreadable> TakeUnreadableReports();
};

} // namespace skerrow
