#pragma once
// The window as the headless command plays it: the calls that the run's threads post for the UI
// thread wait in a queue that the main thread carries out (Pump); the stop timer fires from the
// same loop; every dialog is answered from the command line, and no Connect dialog is ever shown:
// asked for one, the host says Cancel when the settings name no site.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "run/CUiCallQueue.h"
#include "run/IRunHost.h"

namespace skerrow {
class CRunController;
}

namespace skerrow::cli {

class CCliTerminal;

class CCliHost : public IRunHost {
public:
    explicit CCliHost(CCliTerminal& terminal) : m_terminal(terminal) {}

    void SetController(CRunController* controller) { m_controller = controller; }
    // What the command line puts in place of the stored settings.
    void SetPassword(std::optional<std::string> password) { m_password = std::move(password); }
    void SetAllFiles(bool all) { m_allFiles = all; }
    void SetMaxLeftoverDeletes(long most) { m_maxLeftoverDeletes = most; }
    // The server directory of tree-delete, as the settings file would store it.
    void SetTreeDeleteDir(std::string directory) { m_treeDeleteDir = std::move(directory); }
    // The fingerprint given with --trust ("" for none): the one certificate (or SFTP host key)
    // accepted without a window; any other the trust store (or known_hosts) refuses fails the
    // connection.
    void SetTrustedFingerprint(std::string fingerprint) { m_trust = std::move(fingerprint); }
    // --require-tls: a server that offers no TLS is refused; without it, it is reached unencrypted
    // with a warning on standard error each time.
    void SetRequireTls(bool require) { m_requireTls = require; }

    void SetRunning(bool /*running*/) override {}
    bool ShowConnectDialog(bool deleting) override;
    bool ShowPcDirDialog() override { return true; }
    bool ShowTreeDeleteDialog() override { return true; }
    void ApplyLanguage() override {}
    void StartStopTimer(int milliseconds) override;
    void KillStopTimer() override;
    void PostToUi(std::function<void()> call) override;
    void AdjustSettings(CViewSettings& settings) override;
    void PrepareConnection(CFtpConnection& connection) override;
    CertificateTrust AskCertificateTrust(const CCertificateInfo& info) override;
    PlainConsent AskPlainConsent(const std::string& host, int port) override;
    CertificateTrust AskHostKeyTrust(const CHostKeyQuestion& question) override;

    // Waits at most wait for a posted call or the stop timer, then carries out what is due.
    void Pump(std::chrono::milliseconds wait);
    // A Connect dialog was asked for while the settings name no site.
    bool MissingSite() const { return m_missingSite; }

    // Why a certificate is refused and how to know it again: the problem, a change from the one
    // remembered, its names, dates and fingerprint.
    static std::string RefusalText(const CCertificateInfo& info, bool trustGiven);
    // The same for an SFTP server's host key.
    static std::string RefusalText(const CHostKeyQuestion& question, bool trustGiven);

private:
    CCliTerminal& m_terminal;
    CRunController* m_controller = nullptr;
    std::optional<std::string> m_password;
    bool m_allFiles = false;
    long m_maxLeftoverDeletes = -1;
    std::string m_treeDeleteDir;
    std::string m_trust;
    bool m_requireTls = false;
    bool m_missingSite = false;
    CUiCallQueue m_calls;
};

} // namespace skerrow::cli
