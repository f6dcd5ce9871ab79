#pragma once
// A place on the server below the run's root: the Start Dir for uploads and leftovers, the tree's
// directory for a tree delete. It is made only from its root and names checked one by one, so no
// pass can even name a place above its root: joining refuses an absolute name, an empty, "." or
// ".." part, a "\" (a separator on some servers) and any control character.

#include <optional>
#include <string>

namespace skerrow {

class CRemotePath {
public:
    // The root itself: absolute, "." and ".." resolved, no trailing "/".
    static CRemotePath Root(const std::string& absolute);
    // Whether relative ("a/b.htm", "/" separated) names a place below a root.
    static bool IsSafeRelative(const std::string& relative);

    // relative below this path; none when it is not safe.
    std::optional<CRemotePath> Join(const std::string& relative) const;
    // An absolute server path (a row of a tree delete or of leftovers; a trailing "/" is allowed)
    // as a place strictly below this root; none when it lies anywhere else or is not safe.
    std::optional<CRemotePath> Within(const std::string& absolute) const;

    const std::string& Full() const { return m_full; }
    const std::string& RootPath() const { return m_root; }
    // The part below the root ("" for the root itself).
    std::string Relative() const;
    // The directory that holds this place (the root for its own entries); the root's is itself.
    CRemotePath Parent() const;
    std::string Name() const;
    bool IsRoot() const { return m_full == m_root; }

private:
    CRemotePath(std::string root, std::string full) : m_root(std::move(root)), m_full(std::move(full)) {}

    std::string m_root;
    std::string m_full;
};

} // namespace skerrow
