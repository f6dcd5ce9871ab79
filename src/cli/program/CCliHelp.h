#pragma once
// The headless command's --help and --version texts.

#include <string>

namespace skerrow::cli {

class CCliHelp {
public:
    virtual ~CCliHelp() = default;
    static std::string Usage();
    static std::string Text();
    static std::string Version();
};

} // namespace skerrow::cli
