#pragma once
// The headless command's --help and --version texts.

#include <string>

namespace skerrow::cli {

class CCliHelp {
public:
    virtual ~CCliHelp() = default;
    static std::string Usage();
    // settingsFile: the file used without --settings, named in the text.
    static std::string Text(const std::string& settingsFile);
    static std::string Version();
};

} // namespace skerrow::cli
