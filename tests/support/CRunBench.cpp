#include "support/CRunBench.h"

#include <chrono>
#include <filesystem>

#include "discovery/CUploadDirWalk.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"
#include "support/LineEnds.h"

namespace skerrow::test {

CRunBench::CRunBench()
{
    CSettingsFile::SetOverridePath((m_settingsDir.Path() / "skerrow.ini").string());
    m_local.WriteFile("index.html", "<html>home</html>\n");
    m_local.WriteFile("img/logo.gif", std::string(3000, 'g'));
    m_local.WriteFile("about/team/people.htm", "people\n");
    m_local.WriteFile("_drafts/secret.html", "not for the server\n");
    // Written an hour ago, so a find a minute from now lists none of them.
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_local.Path()))
        std::filesystem::last_write_time(entry.path(), hourAgo);
    m_served.MakeDir("site");
}

CRunBench::~CRunBench()
{
    m_controller.reset();
    CSettingsFile::SetOverridePath("");
}

bool CRunBench::StartServer(FtpServerKind kind, const std::vector<std::string>& args)
{
    m_server = std::make_unique<CFtpServerProcess>(kind, m_served.Str(), args);
    if (!m_server->Started())
        return false;
    WriteSettings();
    return true;
}

void CRunBench::WriteSetting(const char* section, const char* key, const std::string& value)
{
    CSettingsFile file;
    file.GetPath(".ini");
    file.WriteString(section, key, value);
}

void CRunBench::WriteSettings()
{
    std::string password = m_server->Password();
    CPasswordCodec().Encode(password);
    WriteSetting("Configure", "FTPURL", "127.0.0.1");
    WriteSetting("Advanced", "Port", std::to_string(m_server->Port()));
    WriteSetting("Configure", "User", m_server->User());
    WriteSetting("Configure", "PWD", password);
    WriteSetting("Configure", "PCDir", m_local.Str());
    WriteSetting("Configure", "FTPStartDir", "site");
    WriteSetting("Advanced", "PASV", "1");
    WriteSetting("Advanced", "StopTimeout", "1");
    if (m_server->Kind() == FtpServerKind::Sshd) {
        // Logs in with the server's client key; its host key is trusted as the user's answer would.
        WriteSetting("Advanced", "Protocol", "1");
        WriteSetting("Configure", "KeyFile", m_server->ClientKey());
        WriteSetting("HostKeys", ("127.0.0.1:" + std::to_string(m_server->Port())).c_str(),
                     m_server->HostKeyFingerprint());
    }
}

CRunController& CRunBench::Controller()
{
    if (!m_controller) {
        m_controller = std::make_unique<CRunController>(m_list, m_settings, m_sink, m_sink, m_progress, m_host);
        m_controller->SetConnectionTimeouts(5, 5);
        m_host.SetController(m_controller.get());
    }
    return *m_controller;
}

std::set<std::string> CRunBench::NextFindNames()
{
    CViewSettings settings;
    settings.Load();
    CTransferList found;
    CUploadDirWalk walk;
    walk.Setup(&found, settings.pcDir, settings.uploadAllFiles);
    walk.m_lastUpload = settings.lastRun;
    walk.Walk(settings.pcDir, "*.*");
    std::set<std::string> names;
    for (const CTransferRow& row : found.Snapshot())
        names.insert(row.name);
    return names;
}

std::string CRunBench::Relative(const std::string& rowName)
{
    return !rowName.empty() && rowName[0] == '/' ? rowName.substr(1) : rowName;
}

bool CRunBench::ServedMatches(const std::string& rowName)
{
    const auto served = m_served.Path() / "site" / Relative(rowName);
    if (!std::filesystem::is_regular_file(served))
        return false;
    const std::string copy = m_served.ReadFile("site/" + Relative(rowName));
    const std::string local = m_local.ReadFile(Relative(rowName));
    return copy == local || copy == LfToCrLf(local);
}

bool CRunBench::Served(const std::string& relative) const
{
    return std::filesystem::exists(m_served.Path() / relative);
}

std::string CRunBench::LastRun()
{
    CSettingsFile file;
    file.GetPath(".ini");
    return file.ReadString("Data", "LastRun", "absent");
}

} // namespace skerrow::test
