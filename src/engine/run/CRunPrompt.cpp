#include "run/CRunPrompt.h"

#include "run/CRun.h"

namespace skerrow {
namespace {

// Marks the run's thread as waiting for the user for the length of a scope.
class CWaitingForUser {
public:
    explicit CWaitingForUser(CRun& run) : m_run(run) { m_run.SetWaitingForUser(true); }
    ~CWaitingForUser() { m_run.SetWaitingForUser(false); }
    CWaitingForUser(const CWaitingForUser&) = delete;
    CWaitingForUser& operator=(const CWaitingForUser&) = delete;

private:
    CRun& m_run;
};

} // namespace

void CRunPrompt::ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption)
{
    if (m_run.Fence().IsReleased())
        return;
    CWaitingForUser waiting(m_run);
    m_window.ShowMessage(text, icon, caption);
}

bool CRunPrompt::AskYesNo(const std::string& text, PromptIcon icon)
{
    if (m_run.Fence().IsReleased())
        return false;
    CWaitingForUser waiting(m_run);
    return m_window.AskYesNo(text, icon);
}

} // namespace skerrow
