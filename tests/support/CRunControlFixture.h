#pragma once
// The run control tests' bench: a local site, a served directory, a settings file naming both, the
// run control over them, and a window that answers dialogs and questions as the test says.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>

#include "discovery/CUploadDirWalk.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "run/CProgressMeter.h"
#include "run/CRunController.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"
#include "support/CFtpRecordingSink.h"
#include "support/CFtpServerProcess.h"
#include "support/CRunTestHost.h"
#include "support/CTempDir.h"

namespace skerrow::test {

// Answers questions as the test says. Held, it keeps every message and question open (the
// worker waits, as it does while the user reads) until Answer.
class CAnsweringSink : public CFtpRecordingSink {
public:
    void ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption = {}) override
    {
        CFtpRecordingSink::ShowMessage(text, icon, caption);
        WaitWhileHeld();
    }
    bool AskYesNo(const std::string& text, PromptIcon icon) override
    {
        ShowMessage(text, icon);
        return m_answer.load();
    }
    void SetAnswer(bool answer) { m_answer.store(answer); }
    void Hold()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    // Lets every open and later box go, with this answer to the questions.
    void Answer(bool answer)
    {
        m_answer.store(answer);
        std::lock_guard lock(m_mutex);
        m_held = false;
        m_released.notify_all();
    }
    int Waiting() const { return m_waiting.load(); }

private:
    void WaitWhileHeld()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_released.wait(lock, [this] { return !m_held; });
        --m_waiting;
    }

    std::atomic<bool> m_answer{true};
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    std::atomic<int> m_waiting{0};
};

// A local site, a served directory, a settings file naming both, and the run control over them.
class RunControlTest : public ::testing::Test {
protected:
    void SetUp() override
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
    void TearDown() override
    {
        m_controller.reset();
        CSettingsFile::SetOverridePath("");
    }

    void StartServer(FtpServerKind kind, const std::vector<std::string>& args = {})
    {
        m_server = std::make_unique<CFtpServerProcess>(kind, m_served.Str(), args);
        if (!m_server->Started())
            GTEST_SKIP() << m_server->Error();
        WriteSettings();
    }

    void WriteSettings()
    {
        CSettingsFile file;
        file.GetPath(".ini");
        std::string password = m_server->Password();
        CPasswordCodec().Encode(password);
        file.WriteString("Configure", "FTPURL", "127.0.0.1");
        file.WriteUInt("Advanced", "Port", static_cast<unsigned>(m_server->Port()));
        file.WriteString("Configure", "User", m_server->User());
        file.WriteString("Configure", "PWD", password);
        file.WriteString("Configure", "PCDir", m_local.Str());
        file.WriteString("Configure", "FTPStartDir", "site");
        file.WriteUInt("Advanced", "PASV", 1);
        file.WriteUInt("Advanced", "StopTimeout", 1);
    }

    CRunController& Controller()
    {
        if (!m_controller) {
            m_controller = std::make_unique<CRunController>(m_list, m_settings, m_sink, m_sink, m_progress, m_host);
            m_controller->SetConnectionTimeouts(5, 5);
            m_host.SetController(m_controller.get());
        }
        return *m_controller;
    }

    // The names the next Find Files would list, with the settings as stored now.
    std::set<std::string> NextFindNames()
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

    static std::string Relative(const std::string& rowName)
    {
        return !rowName.empty() && rowName[0] == '/' ? rowName.substr(1) : rowName;
    }

    // The server's copy of a row's file is the local file, byte for byte; a text file may have
    // been stored with the CR LF line ends it was sent with (as vsftpd and our own server do).
    bool ServedMatches(const std::string& rowName)
    {
        const auto served = m_served.Path() / "site" / Relative(rowName);
        if (!std::filesystem::is_regular_file(served))
            return false;
        const std::string copy = m_served.ReadFile("site/" + Relative(rowName));
        const std::string local = m_local.ReadFile(Relative(rowName));
        std::string wire;
        for (char c : local)
            wire += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return copy == local || copy == wire;
    }

    std::string LastRun()
    {
        CSettingsFile file;
        file.GetPath(".ini");
        return file.ReadString("Data", "LastRun", "absent");
    }

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
