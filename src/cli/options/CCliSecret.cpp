#include "options/CCliSecret.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "options/CCliArguments.h"

namespace skerrow::cli {
namespace {

// A password file is a line, not a document.
constexpr std::streamsize kMaxFileBytes = 64 * 1024;

} // namespace

std::string CCliSecret::FirstLine(const std::string& contents)
{
    std::string line = contents.substr(0, contents.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool CCliSecret::Resolve(const CCliOptions& options, std::optional<std::string>& password)
{
    password.reset();
    if (!options.passwordEnv.empty()) {
        const char* value = std::getenv(options.passwordEnv.c_str());
        if (!value) {
            m_error = "the environment variable " + options.passwordEnv + " is not set";
            return false;
        }
        password = value;
        return true;
    }
    if (options.passwordFile.empty())
        return true;
    std::ifstream in(options.passwordFile, std::ios::binary);
    if (!in) {
        m_error = "cannot read the password file " + options.passwordFile + ": " + std::strerror(errno);
        return false;
    }
    std::string contents(static_cast<size_t>(kMaxFileBytes), '\0');
    in.read(contents.data(), kMaxFileBytes);
    if (in.bad()) {
        m_error = "cannot read the password file " + options.passwordFile;
        return false;
    }
    contents.resize(static_cast<size_t>(in.gcount()));
    password = FirstLine(contents);
    return true;
}

} // namespace skerrow::cli
