#pragma once
// Whether the server of an upload pass renames nothing (it refused the RNFR of a file just sent),
// as whichever connection of the pass tried first found out: the pass's later files are then sent
// under their own names at once.

#include <atomic>

namespace skerrow {

class CRenameRefusal {
public:
    virtual ~CRenameRefusal() = default;
    bool Known() const { return m_refused.load(); }
    // Records the refusal; true for the first caller only, who says why in the log.
    bool Record() { return !m_refused.exchange(true); }

private:
    std::atomic<bool> m_refused{false};
};

} // namespace skerrow
