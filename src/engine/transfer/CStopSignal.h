#pragma once
// The stop signal of one run. Once set it stays set: every pass, walk and question of that run sees
// it, however many of them poll it, and no later run ever does (each run has its own).

#include <atomic>

namespace skerrow {

class CStopSignal {
public:
    virtual ~CStopSignal() = default;
    void Set() { m_set.store(true); }
    bool IsSet() const { return m_set.load(); }

private:
    std::atomic<bool> m_set{false};
};

} // namespace skerrow
