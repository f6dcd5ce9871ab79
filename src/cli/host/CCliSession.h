#pragma once
// Everything one command of the headless command runs on: the transfer list, the settings cache,
// the sinks, the host and the run control over them, as the window has them. The main thread plays
// the UI thread: RunToEnd carries out what the run's threads post until the run is over.

#include <memory>
#include <optional>
#include <string>

#include "host/CCliHost.h"
#include "host/CCliPrompt.h"
#include "host/CCliStatusSink.h"
#include "list/CTransferList.h"
#include "output/CCliProgress.h"
#include "output/CCliTerminal.h"
#include "transfer/CProgressMeter.h"
#include "run/CRunController.h"
#include "settings/CViewSettings.h"

namespace skerrow::cli {

struct CCliOptions;

class CCliSession {
public:
    CCliSession(const CCliOptions& options, std::optional<std::string> password);
    virtual ~CCliSession();
    CCliSession(const CCliSession&) = delete;
    CCliSession& operator=(const CCliSession&) = delete;

    CRunController& Controller() { return *m_controller; }
    CTransferList& List() { return m_list; }
    CCliTerminal& Terminal() { return m_terminal; }
    CCliPrompt& Prompt() { return m_prompt; }
    CCliStatusSink& Status() { return m_status; }
    CCliHost& Host() { return m_host; }

    // Carries out the run's posted calls, with the progress output, until no run is active; a stop
    // signal stops the run as the Stop button does.
    void RunToEnd();
    bool Interrupted() const { return m_interrupted; }

    // The exit code of a command that went to the server; allDoneWanted: rows not Done are a
    // failure.
    int Outcome(bool allDoneWanted);
    // Writes the rows that are not Done, with their state and errors, as a saved list (replacing
    // path in one step); false with a printed error when it cannot.
    bool SaveUnfinished(const std::string& path);

private:
    CCliTerminal m_terminal;
    CTransferList m_list;
    CViewSettings m_settings;
    CCliStatusSink m_status;
    CCliPrompt m_prompt;
    CProgressMeter m_meter;
    CCliHost m_host;
    CCliProgress m_progress;
    bool m_interrupted = false;
    // Last: it joins every thread that uses the members above before they go.
    std::unique_ptr<CRunController> m_controller;
};

} // namespace skerrow::cli
