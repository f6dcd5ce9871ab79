#include "run/CRunController.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "app/CNumberText.h"
#include "app/CStringTable.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "app/StringIds.h"
#include "discovery/CUploadDirWalk.h"
#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "ftp/CPasswordGate.h"
#include "ftp/CTrustedCertificates.h"
#include "run/CProtocolSetup.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "transfer/CProgressMeter.h"
#include "log/CCommandLog.h"
#include "run/CLeftoverFindWorker.h"
#include "run/CRun.h"
#include "run/CTransferWorker.h"
#include "run/CTreeDeleteWorker.h"
#include "run/IRunHost.h"
#include "settings/CExclusionList.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"

namespace skerrow {
namespace {

// A stop timer that finds the worker between two calls looks again this soon.
constexpr int kStopRecheckMs = 100;

// The wait cursor for the length of a scope.
class CWaitCursor {
public:
    explicit CWaitCursor(IRunHost& host) : m_host(host) { m_host.BeginWaitCursor(); }
    ~CWaitCursor() { m_host.EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    IRunHost& m_host;
};

} // namespace

CConnectionTarget CConnectionTarget::Of(const CViewSettings& settings)
{
    return {settings.ftpServer, settings.port, settings.user, settings.password, settings.encryption, settings.passive};
}

CRunController::CRunController(CTransferList& list, CViewSettings& settings, IStatusSink& status, IUserPrompt& prompt,
                               CProgressMeter& progress, IRunHost& host)
    : m_list(list), m_settings(settings), m_status(status), m_prompt(prompt), m_progress(progress), m_host(host),
      m_self(std::make_shared<CRunController*>(this))
{
}

CRunController::~CRunController()
{
    Shutdown();
}

void CRunController::LoadSettings()
{
    m_settings.Load();
    m_host.AdjustSettings(m_settings);
}

CRunController::Poster CRunController::MakePoster()
{
    return [&host = m_host, weak = std::weak_ptr<CRunController*>(m_self)](std::function<void(CRunController&)> call) {
        host.PostToUi([weak, call = std::move(call)] {
            if (const auto self = weak.lock())
                call(**self);
        });
    };
}

bool CRunController::RefuseDuringRun()
{
    if (!m_run)
        return false;
    m_status.SetStatusText(Tr("T.RunInProgress", "A run is in progress: stop it or wait until it ends."));
    return true;
}

bool CRunController::MayReplaceFailedRows()
{
    const size_t failed = m_list.CountInState(kRowFailed);
    if (failed == 0 || m_nextRunAutomatic)
        return true;
    return m_prompt.AskYesNo(
        FormatText(Tr("T.ReplaceFailedRows", "The list still holds %s failed rows, with their errors: a new find "
                                             "replaces them. Go on?")
                       .c_str(),
                   CNumberText::Grouped(failed).c_str()),
        PromptIcon::Question);
}

bool CRunController::HasUnfinishedRows() const
{
    return !m_list.AllDone();
}

// --- Commands -----------------------------------------------------------------------------------

void CRunController::OnFindFilesTransfer()
{
    FindThen([this](const std::shared_ptr<CRun>& run) { StartTransferWorker(run); });
}

void CRunController::FindThen(const std::function<void(const std::shared_ptr<CRun>&)>& next)
{
    if (RefuseDuringRun() || !MayReplaceFailedRows())
        return;
    LoadSettings();
    CloseConnectionIfChanged();
    m_runState.store(1);
    if (m_settings.ftpServer.empty() && !IsConnected()) {
        CloseConnection();
        if (!AskForSite(false))
            return;
    }
    // Before any connection: a missing folder is no "no files have been found".
    if (!PcDirReady())
        return;
    const std::shared_ptr<CRun> run = BeginRun(RunKind::Transfer);
    ConnectThen(run, [this, run, next] {
        FindFiles();
        next(run);
    });
}

bool CRunController::AskForSite(bool deleting)
{
    if (!m_host.ShowConnectDialog(deleting))
        return false;
    LoadSettings();
    m_host.ApplyLanguage();
    return true;
}

void CRunController::OnFindFiles()
{
    if (RefuseDuringRun() || !MayReplaceFailedRows())
        return;
    m_runState.store(1);
    if (m_host.ShowPcDirDialog()) {
        LoadSettings();
        if (PcDirReady())
            FindFiles();
    }
}

void CRunController::OnTransferDelete()
{
    if (RefuseDuringRun())
        return;
    if (m_list.Count() == 0) {
        m_prompt.ShowMessage(LoadString(IDS_NO_FILES_FOUND), PromptIcon::Information);
        return;
    }
    LoadSettings();
    CloseConnectionIfChanged();
    const std::shared_ptr<CRun> run = BeginRun(RunKind::Transfer);
    ConnectThen(run, [this, run] {
        m_list.ResetFailed();
        if (m_runState.load() == 2) {
            // The listed entries are kept for the next Tree Delete, which deletes them without a walk.
            m_runState.store(3);
            EndRun();
            return;
        }
        StartTransferWorker(run);
    });
}

void CRunController::OnTreeDelete()
{
    if (RefuseDuringRun())
        return;
    if (!m_host.ShowTreeDeleteDialog())
        return;
    LoadSettings();
    CloseConnectionIfChanged();
    if (!IsConnected() && !AskForSite(true))
        return;
    const std::shared_ptr<CRun> run = BeginRun(RunKind::TreeDelete);
    ConnectThen(run, [this, run] {
        m_listTakenAt.reset();
        LoadSettings();
        StartWorker(run, std::make_unique<CTreeDeleteWorker>(MakeContext(run)));
    });
}

void CRunController::OnFindLeftovers()
{
    FindThen([this](const std::shared_ptr<CRun>& run) {
        StartWorker(run, std::make_unique<CLeftoverFindWorker>(MakeContext(run)));
    });
}

void CRunController::OnConnect()
{
    if (RefuseDuringRun() || AskStayConnected())
        return;
    CloseConnection();
    if (!AskForSite(false))
        return;
    const std::shared_ptr<CRun> run = BeginRun(RunKind::Connect);
    ConnectThen(run, [this] { EndRun(); });
}

void CRunController::OnShutdownConnection()
{
    StopActivity();
    CloseConnection();
}

void CRunController::CheckAutomaticRun(const std::string& commandLine)
{
    std::string lower = commandLine;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower.find("/a") == std::string::npos)
        return;
    m_nextRunAutomatic = true;
    OnFindFilesTransfer();
    m_nextRunAutomatic = false;
}

void CRunController::FindFiles()
{
    CWaitCursor wait(m_host);
    const std::string remembered = m_status.GetStatusText();
    m_status.SetStatusText(LoadString(IDS_FINDING_FILES));
    LoadSettings();
    m_listTakenAt = CDateTime::Now();
    CUploadDirWalk walk;
    walk.Setup(&m_list, m_settings.pcDir, m_settings.uploadAllFiles);
    walk.m_lastUpload = m_settings.lastRun;
    CExclusionList exclusions;
    exclusions.Load();
    walk.SetExclusions(exclusions.Patterns());
    m_list.DeleteAll();
    walk.Walk(m_settings.pcDir, "*.*");
    m_host.OnFilesFound();
    m_status.SetStatusText(remembered);
    if (walk.RuleFileUnreadable())
        m_prompt.ShowMessage(FormatText(Tr("T.RuleFileUnreadable", "%s cannot be read. No file is listed, because the "
                                                                   "exclusion rules it holds would not apply.")
                                            .c_str(),
                                        walk.RuleFilePath().c_str()),
                             PromptIcon::Stop);
    else if (!walk.TooLong().empty())
        m_prompt.ShowMessage(FormatText(Tr("T.PathsTooLong", "%u folders have a path longer than the system allows, "
                                                             "so their files are not listed, for example:\n%s")
                                            .c_str(),
                                        static_cast<unsigned>(walk.TooLong().size()), walk.TooLong().front().c_str()),
                             PromptIcon::Stop);
    else if (m_list.Count() == 0)
        m_prompt.ShowMessage(LoadString(IDS_NO_FILES_FOUND), PromptIcon::Information);
}

// --- Runs ---------------------------------------------------------------------------------------

CRunProgressSnapshot CRunController::ProgressSnapshot() const
{
    return m_run ? m_run->Progress().Snapshot(CRunProgress::Clock::now()) : CRunProgressSnapshot();
}

std::shared_ptr<CRun> CRunController::BeginRun(RunKind kind)
{
    m_run = std::make_shared<CRun>(++m_lastRunId);
    m_run->SetAutomatic(m_nextRunAutomatic);
    // The connections' questions, the kept one's too, go to this run until it ends.
    m_logins.Begin(m_run);
    m_runKind = kind;
    m_stopping = false;
    m_host.SetRunning(true);
    return m_run;
}

void CRunController::EndRun()
{
    const bool stopped = m_stopping;
    const bool reported = m_run && m_run->StopReported();
    m_refusedForSafety = m_refusedForSafety || (m_run && m_run->RefusedForSafety());
    // Further connections that logged in for work that never came are closed off this thread.
    if (m_run)
        m_closer.Close(m_run->TakeEarlyLogins());
    m_logins.End();
    m_run.reset();
    m_stopping = false;
    m_host.KillStopTimer();
    m_host.SetRunning(false);
    if (stopped) {
        m_progress.ResetProgress();
        if (!reported)
            m_status.SetStatusText(LoadString(IDS_TRANSFER_STOPPED));
    }
}

void CRunController::ConnectThen(const std::shared_ptr<CRun>& run, std::function<void()> next)
{
    if (IsConnected()) {
        run->SetConnection(m_connection);
        // The certificate the user trusted once for this connection holds for the run's others too.
        run->SetAcceptedCertificate(m_connectionTrust);
        EarlyLogins(*run)();
        next();
        return;
    }
    LoadSettings();
    m_textBeforeConnect = m_status.GetStatusText();
    m_status.SetStatusText(LoadString(IDS_CONNECTING));
    const std::shared_ptr<CFtpConnection> connection = m_logins.FirstConnection(m_settings);
    run->SetConnection(connection);
    const CViewSettings settings = m_settings;
    const uint64_t id = run->Id();
    // The further connections log in while the first one does, once the server has greeted it
    // (so that a server with a session limit counts the first one first), when no question can come
    // up about a certificate or about plain FTP (the user chose plain FTP); else once it is in.
    // Those that log in beside it send their password only once its own has been taken.
    const auto gate = std::make_shared<CPasswordGate>();
    std::function<void()> early = EarlyLogins(*run, gate);
    if (settings.protocol == 0 && CTrustedCertificates::EncryptionFromSetting(settings.encryption) == FtpEncryption::Plain)
        connection->SetGreetedCallback(std::exchange(early, nullptr));
    run->StartThread([post = MakePoster(), connection, settings, id, next = std::move(next), early, gate,
                      run = run.get()] {
        const CConnectionTarget target = CConnectionTarget::Of(settings);
        const bool opened =
            connection->Open(settings.ftpServer, settings.port, settings.user, settings.password, settings.passive);
        if (opened)
            gate->Open();
        else
            gate->Shut();
        if (opened && early && !run->Stop().IsSet())
            early();
        const std::string host = CFtpConnection::HostName(settings.ftpServer);
        const int port = CFtpConnection::EffectivePort(
            settings.port, CTrustedCertificates::EncryptionFromSetting(settings.encryption), connection->Protocol());
        std::string error;
        if (!opened)
            error = ConnectFailureText(*connection, host, port);
        const bool plain = opened && connection->FellBackToPlain();
        post([id, opened, plain, error, target, next, host, port](CRunController& self) {
            if (plain)
                self.m_textBeforeConnect = CFtpConnection::PlainFallbackText(host, port);
            self.OnConnectEnded(id, opened, error, target, next);
        });
    });
}

std::function<void()> CRunController::EarlyLogins(CRun& run, std::shared_ptr<CPasswordGate> gate)
{
    // Only runs that work on the server (not Connect) take further connections.
    if (m_runKind == RunKind::Connect)
        return [] {};
    return m_logins.EarlyLogins(run, m_settings, m_settings.connections - 1, std::move(gate));
}

std::string CRunController::ConnectFailureText(CFtpConnection& connection, const std::string& host, int port)
{
    std::string error;
    CInternetError(&connection).GetErrorText(connection.LastError(), error);
    std::string text = FormatText(Tr("T.ConnectFailed", "Connecting to %s:%d failed.").c_str(), host.c_str(), port);
    text += '\n';
    text += error;
    // 530: the server refused the login itself.
    if (connection.LastResponse().rfind("530", 0) == 0) {
        text += '\n';
        text += Tr("T.CheckLogin", "Check the user name and the password in File > Properties.");
    } else if (connection.Protocol() == FtpProtocol::Sftp && connection.LastError() == kErrorExtended) {
        // Over SFTP the login itself was refused (its text names the methods the server offers).
        text += '\n';
        text += Tr("T.CheckSshLogin",
                   "Check the user name, the password and the private key file in File > Properties.");
    }
    return text;
}

bool CRunController::PcDirReady()
{
    std::error_code ec;
    if (!m_settings.pcDir.empty() && std::filesystem::is_directory(m_settings.pcDir, ec))
        return true;
    m_prompt.ShowMessage(PcDirMissingText(m_settings.pcDir), PromptIcon::Stop);
    return false;
}

std::string CRunController::PcDirMissingText(const std::string& pcDir)
{
    return FormatText(Tr("T.PcDirMissing", "The PC folder \"%s\" does not exist. Choose the folder that holds your "
                                           "site in File > Properties.")
                          .c_str(),
                      pcDir.c_str());
}

void CRunController::OnConnectEnded(uint64_t runId, bool opened, const std::string& error,
                                    const CConnectionTarget& target, const std::function<void()>& next)
{
    if (!m_run || m_run->Id() != runId) {
        OnWorkerEnded(runId); // a run set aside meanwhile
        return;
    }
    const std::shared_ptr<CRun> run = m_run;
    run->JoinThread();
    m_status.SetStatusText(m_textBeforeConnect);
    if (run->Stop().IsSet()) {
        m_closer.Close(run->Connection());
        EndRun();
        return;
    }
    if (!opened) {
        m_prompt.ShowMessage(error, PromptIcon::Stop);
        EndRun();
        return;
    }
    m_connection = run->Connection();
    m_connectionTrust = run->AcceptedCertificate();
    m_connectionTarget = target;
    m_host.ShowUnencrypted(!m_connection->IsEncrypted());
    next();
}

void CRunController::StartTransferWorker(const std::shared_ptr<CRun>& run)
{
    if (!IsConnected()) {
        m_prompt.ShowMessage(LoadString(IDS_NO_CONNECTION), PromptIcon::Stop);
        EndRun();
        return;
    }
    LoadSettings();
    StartWorker(run, std::make_unique<CTransferWorker>(MakeContext(run)));
}

CWorkerContext CRunController::MakeContext(const std::shared_ptr<CRun>& run)
{
    CWorkerContext context{m_list,
                           m_status,
                           m_prompt,
                           m_runState,
                           run,
                           run->Connection(),
                           CRunSettings::Take(m_settings, CSettingsFile().GetPath(".ini")),
                           m_listTakenAt,
                           m_logins.ConnectSeconds(),
                           m_logins.StallSeconds(),
                           // The run's further connections log as its first one does, numbered after it ("[2] ...").
                           m_logins.Preparer()};
    return context;
}

void CRunController::StartWorker(const std::shared_ptr<CRun>& run, std::unique_ptr<CRunWorker> worker)
{
    const uint64_t id = run->Id();
    run->StartThread([post = MakePoster(), id, worker = std::shared_ptr<CRunWorker>(std::move(worker))] {
        worker->Run();
        post([id](CRunController& self) { self.OnWorkerEnded(id); });
    });
}

void CRunController::OnWorkerEnded(uint64_t runId)
{
    if (m_run && m_run->Id() == runId) {
        m_run->JoinThread();
        if (m_run->Stop().IsSet()) {
            // Stop aborted the run's connection: it is closed now, and the next run connects again.
            const std::shared_ptr<CFtpConnection> connection = m_run->Connection();
            DropConnection(connection);
            m_closer.Close(connection);
        }
        EndRun();
        return;
    }
    const auto released = std::find_if(m_released.begin(), m_released.end(),
                                       [runId](const std::shared_ptr<CRun>& run) { return run->Id() == runId; });
    if (released != m_released.end()) {
        (*released)->JoinThread();
        m_released.erase(released);
    }
}

// --- Stop ---------------------------------------------------------------------------------------

void CRunController::StopActivity()
{
    if (m_stopping || !m_run)
        return;
    m_stopping = true;
    m_status.SetStatusText(LoadString(IDS_STOPPING));
    m_run->RequestStop();
    DropConnection(m_run->Connection());
    m_status.SetStatusText(LoadString(IDS_CLOSING_CONNECTION));
    m_host.StartStopTimer(std::max(1000, m_settings.stopTimeoutMs));
    m_progress.ResetProgress();
}

void CRunController::OnStopTimer()
{
    if (!m_stopping || !m_run) {
        m_host.KillStopTimer();
        return;
    }
    // A worker waiting for the user is left alone: its question is answered as asked, and the
    // Stop completes when it ends.
    if (m_run->WaitingForUser())
        return;
    if (!m_run->InServerCall()) {
        // Between two calls (every call fails at once now) or reporting its end: look again soon.
        m_host.StartStopTimer(kStopRecheckMs);
        return;
    }
    ReleaseRun();
    EndRun();
}

void CRunController::ReleaseRun()
{
    m_run->Fence().Release();
    m_closer.Close(m_run->Connection());
    m_released.push_back(m_run);
}

void CRunController::DropConnection(const std::shared_ptr<CFtpConnection>& connection)
{
    if (connection && m_connection == connection) {
        m_connection.reset();
        m_connectionTrust.clear();
        m_host.ShowUnencrypted(false);
    }
}

// --- Connection ---------------------------------------------------------------------------------

bool CRunController::AskStayConnected()
{
    if (!IsConnected())
        return false;
    return !m_prompt.AskYesNo(LoadString(IDS_ALREADY_CONNECTED), PromptIcon::Question);
}

void CRunController::CloseConnection()
{
    m_closer.Close(std::move(m_connection));
    m_connectionTrust.clear();
    m_host.ShowUnencrypted(false);
    m_runState.store(0);
}

void CRunController::CloseConnectionIfChanged()
{
    if (IsConnected() && CConnectionTarget::Of(m_settings) != m_connectionTarget)
        CloseConnection();
}

void CRunController::SetConnectionTimeouts(long connectSeconds, long stallSeconds)
{
    m_logins.SetTimeouts(connectSeconds, stallSeconds);
}

void CRunController::SetCommandLog(std::shared_ptr<CCommandLog> log)
{
    m_logins.SetCommandLog(std::move(log));
}

void CRunController::Shutdown()
{
    m_self.reset(); // calls still queued for the UI thread do nothing now
    std::vector<std::shared_ptr<CRun>> runs = m_released;
    if (m_run)
        runs.push_back(m_run);
    for (const std::shared_ptr<CRun>& run : runs)
        run->RequestStop();
    for (const std::shared_ptr<CRun>& run : runs)
        run->JoinThread();
    m_released.clear();
    m_run.reset();
    m_stopping = false;
    // No thread of a run is left: the logins nobody took end now, and no question reaches the host.
    m_logins.Shutdown();
    if (m_connection) {
        m_connection->Abort();
        m_closer.Close(std::move(m_connection));
    }
    m_closer.JoinAll();
}

} // namespace skerrow
