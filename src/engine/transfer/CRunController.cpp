#include "transfer/CRunController.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <future>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "discovery/CUploadDirWalk.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "ftp/CTrustedCertificates.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CTransferList.h"
#include "transfer/CTransferWorker.h"
#include "transfer/CTreeDeleteWorker.h"
#include "transfer/IRunHost.h"
#include "transfer/IStatusSink.h"
#include "transfer/IUserPrompt.h"

namespace skerrow {
namespace {

constexpr auto kWatchdog = std::chrono::seconds(5);
constexpr auto kStopPause = std::chrono::milliseconds(1000);

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

CRunController::CRunController(CTransferList& list, CViewSettings& settings, IStatusSink& status, IUserPrompt& prompt,
                               CProgressMeter& progress, IRunHost& host)
    : m_list(list), m_settings(settings), m_status(status), m_prompt(prompt), m_progress(progress), m_host(host)
{
}

CRunController::~CRunController()
{
    Shutdown();
}

void CRunController::LoadSettings()
{
    m_settings.Load();
}

void CRunController::OnFindFilesTransfer()
{
    m_runState.store(1);
    LoadSettings();
    StartRun(true, m_settings.ftpServer.empty());
}

void CRunController::OnFindFiles()
{
    m_runState.store(1);
    if (m_host.ShowPcDirDialog())
        FindFiles();
}

void CRunController::OnTransferDelete()
{
    if (m_list.Count() == 0) {
        m_prompt.ShowMessage(LoadString(IDS_NO_FILES_FOUND), PromptIcon::Information);
        return;
    }
    if (!IsConnected() && !OpenConnection())
        return;
    m_list.ResetFailed();
    if (m_runState.load() == 2) {
        // The listed entries are kept for the next Tree Delete, which deletes them without a walk.
        m_runState.store(3);
        ReleaseWorker();
        return;
    }
    StartRun(false, true);
}

void CRunController::OnTreeDelete()
{
    if (!m_host.ShowTreeDeleteDialog())
        return;
    const std::string remembered = m_status.GetStatusText();
    m_status.SetStatusText(LoadString(IDS_CONNECTING));
    bool connected = IsConnected();
    if (!connected && m_host.ShowConnectDialog(true)) {
        connected = OpenConnection();
        LoadSettings();
        m_host.ApplyLanguage();
    }
    m_status.SetStatusText(remembered);
    if (!connected)
        return;
    m_listTakenAt.reset();
    StartWorker(std::make_unique<CTreeDeleteWorker>(MakeContext()));
}

void CRunController::OnConnect()
{
    if (AskStayConnected())
        return;
    StopActivity();
    CloseConnection();
    if (!m_host.ShowConnectDialog(false))
        return;
    LoadSettings();
    m_host.ApplyLanguage();
    OpenConnection();
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
    if (lower.find("/a") != std::string::npos)
        OnFindFilesTransfer();
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
    m_list.DeleteAll();
    walk.Walk(m_settings.pcDir, "*.*");
    m_host.OnFilesFound();
    m_status.SetStatusText(remembered);
    if (m_list.Count() == 0)
        m_prompt.ShowMessage(LoadString(IDS_NO_FILES_FOUND), PromptIcon::Information);
}

void CRunController::StartRun(bool find, bool askConnect)
{
    if (askConnect && !IsConnected()) {
        CloseConnection();
        if (!m_host.ShowConnectDialog(false))
            return;
        LoadSettings();
        m_host.ApplyLanguage();
    }
    if (!IsConnected() && !OpenConnection())
        return;
    if (find)
        FindFiles();
    StartTransferWorker();
}

void CRunController::StartTransferWorker()
{
    if (!IsConnected()) {
        m_prompt.ShowMessage(LoadString(IDS_NO_CONNECTION), PromptIcon::Stop);
        return;
    }
    LoadSettings();
    StartWorker(std::make_unique<CTransferWorker>(MakeContext()));
    m_host.SetRunning(true);
}

bool CRunController::IsConnected() const
{
    return m_connection != nullptr;
}

bool CRunController::AskStayConnected()
{
    if (!IsConnected())
        return false;
    return !m_prompt.AskYesNo(LoadString(IDS_ALREADY_CONNECTED), PromptIcon::Question);
}

bool CRunController::OpenConnection()
{
    CWaitCursor wait(m_host);
    LoadSettings();
    std::string remembered = m_status.GetStatusText();
    m_status.SetStatusText(LoadString(IDS_CONNECTING));
    auto connection = std::make_shared<CFtpConnection>();
    connection->SetTimeouts(m_connectSeconds, m_stallSeconds);
    CTrustedCertificates(CSettingsFile().GetPath(".ini"))
        .Apply(*connection, m_settings.ftpServer, m_settings.port,
               CTrustedCertificates::EncryptionFromSetting(m_settings.encryption),
               [this](const CCertificateInfo& info) { return m_host.AskCertificateTrust(info); });
    const bool opened = connection->Open(m_settings.ftpServer, m_settings.port, m_settings.user, m_settings.password,
                                         m_settings.passive);
    if (opened) {
        if (connection->FellBackToPlain())
            remembered = CFtpConnection::PlainFallbackText();
        m_connection = std::move(connection);
    } else {
        std::string text;
        CInternetError(connection.get()).GetErrorText(connection->LastError(), text);
        m_prompt.ShowMessage(text, PromptIcon::Stop);
    }
    m_status.SetStatusText(remembered);
    return opened;
}

void CRunController::CloseConnection()
{
    if (m_connection)
        CloseHandleWithWatchdog(std::move(m_connection));
    m_connection.reset();
    m_runState.store(0);
}

void CRunController::CloseHandleWithWatchdog(std::shared_ptr<CFtpConnection> connection)
{
    if (!connection)
        return;
    std::promise<void> closed;
    std::future<void> done = closed.get_future();
    std::thread closer([connection, closed = std::move(closed)]() mutable {
        connection->Close();
        closed.set_value();
    });
    if (done.wait_for(kWatchdog) == std::future_status::ready)
        closer.join();
    else
        m_retired.push_back(std::move(closer)); // given up on; joined before this object goes
}

void CRunController::AbortTransferWithWatchdog()
{
    const std::shared_ptr<CFtpConnection> connection = m_workerConnection.lock();
    if (!connection || !connection->IsTransferring())
        return;
    connection->Abort();
    const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
    while (connection->IsTransferring() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Whatever the abort did, the view is not connected any more; the worker keeps its reference.
    if (m_connection == connection)
        m_connection.reset();
}

void CRunController::StopActivity()
{
    CWaitCursor wait(m_host);
    if (m_stopping || !HasWorker())
        return;
    m_stopping = true;
    m_status.SetStatusText(LoadString(IDS_STOPPING));
    m_stop.Set();
    AbortTransferWithWatchdog();
    std::this_thread::sleep_for(kStopPause);
    m_status.SetStatusText(LoadString(IDS_CLOSING_CONNECTION));
    m_host.StartStopTimer(m_settings.stopTimeoutMs);
    m_progress.ResetProgress();
}

void CRunController::OnStopTimer()
{
    if (WorkerRunning()) {
        // The worker has not ended: close its connection so that every call it still makes fails
        // at once, and let it end by itself.
        std::shared_ptr<CFtpConnection> connection = m_workerConnection.lock();
        if (m_connection == connection)
            m_connection.reset();
        CloseHandleWithWatchdog(std::move(connection));
        CloseConnection();
    }
    ReleaseWorker();
    m_host.SetRunning(false);
    m_stop.Reset();
    m_status.SetStatusText(std::string());
    m_host.KillStopTimer();
    m_status.SetStatusText(LoadString(IDS_TRANSFER_STOPPED));
    m_stopping = false;
}

bool CRunController::WorkerRunning() const
{
    return m_worker.joinable() && m_workerDone && !m_workerDone->load();
}

void CRunController::WaitForWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

void CRunController::ReleaseWorker()
{
    if (!m_worker.joinable())
        return;
    if (WorkerRunning())
        m_retired.push_back(std::move(m_worker)); // its connection is closed; it ends by itself
    else
        m_worker.join();
}

CWorkerContext CRunController::MakeContext()
{
    return CWorkerContext{m_list, m_status, m_prompt, m_progress, m_stop,     m_host,
                          m_runState, m_connection, m_settings, m_listTakenAt};
}

void CRunController::StartWorker(std::unique_ptr<CRunWorker> worker)
{
    if (m_stopping && !WorkerRunning()) {
        // The Stop still waiting for its timer was for a worker that has ended since: finish it
        // now, so that neither its timer nor its stop event cuts the new run short.
        m_host.KillStopTimer();
        m_stop.Reset();
        m_stopping = false;
    }
    ReleaseWorker();
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_workerDone = done;
    m_workerConnection = m_connection;
    m_worker = std::thread([worker = std::move(worker), done]() {
        worker->Run();
        done->store(true);
    });
}

void CRunController::SetConnectionTimeouts(long connectSeconds, long stallSeconds)
{
    m_connectSeconds = connectSeconds;
    m_stallSeconds = stallSeconds;
}

void CRunController::Shutdown()
{
    if (HasWorker() || !m_retired.empty()) {
        m_stop.Set();
        if (std::shared_ptr<CFtpConnection> connection = m_workerConnection.lock())
            connection->Close();
    }
    WaitForWorker();
    for (std::thread& thread : m_retired) {
        if (thread.joinable())
            thread.join();
    }
    m_retired.clear();
    if (m_connection) {
        m_connection->Close();
        m_connection.reset();
    }
}

} // namespace skerrow
