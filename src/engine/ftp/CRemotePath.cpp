#include "ftp/CRemotePath.h"

#include "ftp/CFtpConnection.h"

namespace skerrow {

namespace {

bool IsSafePart(const std::string& part)
{
    if (part.empty() || part == "." || part == "..")
        return false;
    for (const char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\')
            return false;
    }
    return true;
}

} // namespace

CRemotePath CRemotePath::Root(const std::string& absolute)
{
    const std::string root = CFtpConnection::ResolvePath("/", absolute);
    return CRemotePath(root, root);
}

bool CRemotePath::IsSafeRelative(const std::string& relative)
{
    if (relative.empty() || relative[0] == '/')
        return false;
    size_t start = 0;
    for (;;) {
        const size_t slash = relative.find('/', start);
        if (!IsSafePart(relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start)))
            return false;
        if (slash == std::string::npos)
            return true;
        start = slash + 1;
    }
}

std::optional<CRemotePath> CRemotePath::Join(const std::string& relative) const
{
    if (!IsSafeRelative(relative))
        return std::nullopt;
    return CRemotePath(m_root, (m_full == "/" ? "/" : m_full + "/") + relative);
}

std::optional<CRemotePath> CRemotePath::Within(const std::string& absolute) const
{
    std::string path = absolute;
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::string prefix = m_root == "/" ? m_root : m_root + "/";
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    return CRemotePath::Root(m_root).Join(path.substr(prefix.size()));
}

std::string CRemotePath::Relative() const
{
    if (IsRoot())
        return std::string();
    return m_full.substr(m_root == "/" ? 1 : m_root.size() + 1);
}

CRemotePath CRemotePath::Parent() const
{
    if (IsRoot())
        return *this;
    const size_t slash = m_full.rfind('/');
    const std::string parent = slash == 0 ? "/" : m_full.substr(0, slash);
    return CRemotePath(m_root, parent.size() < m_root.size() ? m_root : parent);
}

std::string CRemotePath::Name() const
{
    return m_full.substr(m_full.rfind('/') + 1);
}

} // namespace skerrow
