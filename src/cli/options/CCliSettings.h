#pragma once
// The settings file of the headless command: the window program's own file, so both share the
// site, the password, the folders and the last-upload date.

#include <string>

namespace skerrow::cli {

class CCliSettings {
public:
    virtual ~CCliSettings() = default;

    // Points the engine at the file: explicitPath when given, else SKERROW_INI, else the file the
    // window program beside this one uses (skerrow.ini in the same directory).
    static void Locate(const std::string& explicitPath);
    // The file used when --settings is not given (SKERROW_INI, else the window program's file),
    // as Locate({}) points at it; makes no directory.
    static std::string DefaultPath();

    // The file exists and can be read, and names what the command needs; false with Error() else.
    bool Check(bool needSite, bool needPcDir);
    const std::string& Error() const { return m_error; }
    std::string Path() const;

private:
    std::string m_error;
};

} // namespace skerrow::cli
