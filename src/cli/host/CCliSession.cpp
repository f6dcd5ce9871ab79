#include "host/CCliSession.h"

#include "options/CCliArguments.h"
#include "options/CliExitCode.h"
#include "host/CCliSignals.h"
#include "list/CSavedListFile.h"
#include "list/RowWord.h"

namespace skerrow::cli {
namespace {

// How often the progress output is brought up to date while nothing is posted.
constexpr std::chrono::milliseconds kTick{100};

} // namespace

CCliSession::CCliSession(const CCliOptions& options, std::optional<std::string> password)
    : m_terminal(options.quiet, options.verbose), m_status(m_terminal), m_prompt(m_terminal, options.yes),
      m_meter(m_status), m_host(m_terminal), m_progress(m_terminal, m_list),
      m_controller(std::make_unique<CRunController>(m_list, m_settings, m_status, m_prompt, m_meter, m_host))
{
    m_host.SetController(m_controller.get());
    m_host.SetPassword(std::move(password));
    m_host.SetAllFiles(options.all);
    m_host.SetMaxLeftoverDeletes(options.maxDelete);
    m_host.SetTrustedFingerprint(options.trust);
    m_host.SetRequireTls(options.requireTls);
}

CCliSession::~CCliSession()
{
    m_controller.reset();
}

void CCliSession::RunToEnd()
{
    m_progress.Begin();
    while (m_controller->IsRunActive()) {
        if (CCliSignals::StopRequested() && !m_interrupted) {
            m_interrupted = true;
            m_controller->StopActivity();
        }
        m_host.Pump(kTick);
        m_progress.Update(m_status.GetStatusText(), m_status.PercentText());
    }
    m_progress.Finish();
}

int CCliSession::Outcome(bool allDoneWanted)
{
    if (m_interrupted)
        return kExitSomeFailed;
    if (m_host.MissingSite() || m_controller->RefusedForSafety())
        return kExitUsage;
    if (!m_controller->IsConnected())
        return kExitNoConnection;
    if (m_prompt.ErrorsShown() > 0)
        return kExitSomeFailed;
    if (allDoneWanted && !m_list.AllDone())
        return kExitSomeFailed;
    return kExitAllSent;
}

bool CCliSession::SaveUnfinished(const std::string& path)
{
    std::vector<CPackedRow> rows;
    bool deletions = false;
    for (CPackedRow& row : m_list.PackedSnapshot()) {
        if (RowStateOf(row.word) == kRowDone)
            continue;
        deletions = deletions || IsServerEntry(row.word);
        rows.push_back(std::move(row));
    }
    int runState = rows.empty() ? 0 : m_controller->RunState();
    if (!rows.empty() && runState == 0)
        runState = deletions ? 2 : 1;
    CSavedListFile file;
    if (file.WriteReplacing(path, runState, rows))
        return true;
    m_terminal.Error("error: cannot write the list " + path + ": " + file.error());
    return false;
}

} // namespace skerrow::cli
