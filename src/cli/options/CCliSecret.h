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
    // set or the file cannot be read; Error() then says why.
    bool Resolve(const CCliOptions& options, std::optional<std::string>& password);
    const std::string& Error() const { return m_error; }

    // The first line of a password file's contents (its line end removed).
    static std::string FirstLine(const std::string& contents);

private:
    std::string m_error;
};

} // namespace skerrow::cli
