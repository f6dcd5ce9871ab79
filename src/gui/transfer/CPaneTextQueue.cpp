#include "transfer/CPaneTextQueue.h"

bool CPaneTextQueue::Put(int pane, std::string text)
{
    std::lock_guard lock(m_mutex);
    m_texts[pane] = std::move(text);
    if (m_wakePending)
        return false;
    m_wakePending = true;
    return true;
}

std::vector<std::pair<int, std::string>> CPaneTextQueue::Take()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<int, std::string>> texts(m_texts.begin(), m_texts.end());
    m_texts.clear();
    m_wakePending = false;
    return texts;
}

void CPaneTextQueue::Forget(int pane)
{
    std::lock_guard lock(m_mutex);
    m_texts.erase(pane);
}
