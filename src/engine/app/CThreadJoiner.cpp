#include "app/CThreadJoiner.h"

namespace skerrow {

CThreadJoiner::~CThreadJoiner()
{
    if (m_threads.empty())
        return;
    if (m_abort)
        m_abort();
    for (std::thread* thread : m_threads) {
        if (thread->joinable())
            thread->join();
    }
}

} // namespace skerrow
