#pragma once
// Everything a run control test needs, without a test framework (the soak benchmark uses it too):
// a local site, a served directory with its "site" start directory, a settings file naming both,
// a server, the list, the window's sinks and host, and the run control over them.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "list/CTransferList.h"
#include "transfer/CProgressMeter.h"
#include "run/CRunController.h"
#include "settings/CViewSettings.h"
#include "support/CAnsweringSink.h"
#include "support/CFtpServerProcess.h"
#include "support/CRunTestHost.h"
#include "support/CTempDir.h"

namespace skerrow::test {

class CRunBench {
public:
    // index.html, img/logo.gif, about/team/people.htm and _drafts/secret.html, written an hour ago.
    CRunBench();
    virtual ~CRunBench();
    CRunBench(const CRunBench&) = delete;
    CRunBench& operator=(const CRunBench&) = delete;

    // Starts a server over the served directory and writes the settings for it; false when it
    // could not start (m_server->Error() says why).
    bool StartServer(FtpServerKind kind, const std::vector<std::string>& args = {});
    // Site, port, user, password, PC directory, start directory "site", passive, StopTimeout 1.
    void WriteSettings();
    void WriteSetting(const char* section, const char* key, const std::string& value);
    CRunController& Controller();
    // Ends the run control as the window's close does: every thread it started is joined.
    void CloseController() { m_controller.reset(); }

    // The names the next Find Files would list, with the settings as stored now.
    std::set<std::string> NextFindNames();
    static std::string Relative(const std::string& rowName);
    // The server's copy of a row's file is the local file, byte for byte; a text file may have
    // been stored with the CR LF line ends it was sent with (as vsftpd and our own server do).
    bool ServedMatches(const std::string& rowName);
    // Whether the served directory holds relative (a file or a directory).
    bool Served(const std::string& relative) const;
    std::string LastRun();

    CTempDir m_settingsDir, m_local, m_served;
    std::unique_ptr<CFtpServerProcess> m_server;
    CTransferList m_list;
    CViewSettings m_settings;
    CAnsweringSink m_sink;
    CProgressMeter m_progress{m_sink};
    CRunTestHost m_host;
    std::unique_ptr<CRunController> m_controller;
};

} // namespace skerrow::test
