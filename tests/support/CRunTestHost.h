#pragma once
// The window as the run control tests see it: a queue for the calls the run's threads post to the
// UI thread, carried out by the test's own thread (which plays the UI thread), a stop timer that
// fires when its time has come, dialogs answered as the test says, and a record of the greying.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "run/CUiCallQueue.h"
#include "run/IRunHost.h"

namespace skerrow {
class CRunController;
}

namespace skerrow::test {

class CRunTestHost : public IRunHost {
public:
    void SetController(CRunController* controller) { m_controller = controller; }

    void SetRunning(bool running) override;
    bool ShowConnectDialog(bool deleting) override;
    bool ShowPcDirDialog() override { return true; }
    bool ShowTreeDeleteDialog() override { return true; }
    void ApplyLanguage() override {}
    void StartStopTimer(int milliseconds) override;
    void KillStopTimer() override;
    void PostToUi(std::function<void()> call) override;
    CertificateTrust AskCertificateTrust(const CCertificateInfo& info) override;
    PlainConsent AskPlainConsent(const std::string& host, int port) override;
    CertificateTrust AskHostKeyTrust(const CHostKeyQuestion& question) override;
    // Throws when faultyConnections is set: a fault inside a connection's thread. With
    // holdFurtherConnections set, a connection prepared off the test's own thread is held here
    // until it is aborted and a little longer (a thread that a busy machine leaves behind while the window closes).
    void PrepareConnection(CFtpConnection& connection) override;

    // Carries out the posted calls and the stop timer, as the UI thread's loop would.
    void Pump();
    // Pumps until done() holds or timeout passes; true when it held.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Pumps until no run is active.
    bool PumpUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    std::vector<bool> Running() const;
    // The last time the stop timer was started (-1: killed or fired).
    int TimerMs() const { return m_timerMs; }

    std::atomic<int> connectDialogs{0};
    // The answer to a question about a certificate, and how many were asked.
    std::atomic<CertificateTrust> certificateAnswer{CertificateTrust::Reject};
    std::atomic<int> certificateQuestions{0};
    // The answer to a server that offers no TLS (the test servers mostly do not), and how many.
    std::atomic<PlainConsent> plainAnswer{PlainConsent::Once};
    std::atomic<int> plainQuestions{0};
    // The same for an SFTP server's host key.
    std::atomic<CertificateTrust> hostKeyAnswer{CertificateTrust::Reject};
    std::atomic<int> hostKeyQuestions{0};
    bool lastConnectDeleting = false;
    bool connectAnswer = true;
    const std::thread::id testThread = std::this_thread::get_id();
    std::atomic<bool> faultyConnections{false};
    std::atomic<bool> holdFurtherConnections{false};

private:
    CRunController* m_controller = nullptr;
    CUiCallQueue m_calls;
    mutable std::mutex m_mutex;
    std::vector<bool> m_running;
    int m_timerMs = -1;
};

} // namespace skerrow::test
