#pragma once
// The FTP password given to the headless command from outside the settings file: an environment
// variable or a file, never the command line.

#include <optional>
#include <string>

namespace skerrow::cli {

struct CCliOptions;

class CCliSecret {
public:
    virtual ~CCliSecret() = default;

    // The password the options name, or none when they name none. False when the variable is not
    // set, the file cannot be read, or either gives an empty password; Error() then says why.
    bool Resolve(const CCliOptions& options, std::optional<std::string>& password);
    const std::string& Error() const { return m_error; }
    // Not "" when the password file can be read by its group or by others: a password that others
    // may have read works all the same, but its owner is told.
    const std::string& Warning() const { return m_warning; }

    // The first line of a password file's contents (its line end removed).
    static std::string FirstLine(const std::string& contents);

private:
    bool FromEnvironment(const std::string& name, std::optional<std::string>& password);
    bool FromFile(const std::string& path, std::optional<std::string>& password);
    // Up to the size a password file may have; false with m_error set when it cannot be read.
    bool ReadHead(int fd, const std::string& path, std::string& contents);
    bool Fail(std::string error);

    std::string m_error;
    std::string m_warning;
};

} // namespace skerrow::cli
