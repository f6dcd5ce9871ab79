#pragma once
// What the run control needs from the window besides the status bar and message boxes: greying the
// run commands, the dialogs a command may open, the language, the stop timer, and a way to have a
// call carried out on the UI thread.

#include <functional>
#include <string>

#include "ftp/CCertificateInfo.h"
#include "ftp/CPlainFtpPolicy.h"
#include "ftp/CSshHostKeyCheck.h"

namespace skerrow {

struct CViewSettings;
class CFtpConnection;

class IRunHost {
public:
    virtual ~IRunHost() = default;

    // Greys (true) or restores (false) the commands that start runs. UI thread.
    virtual void SetRunning(bool running) = 0;

    // The dialogs a command may open; UI thread; true when the user pressed OK.
    virtual bool ShowConnectDialog(bool deleting) = 0;
    virtual bool ShowPcDirDialog() = 0;
    virtual bool ShowTreeDeleteDialog() = 0;

    // A certificate the trust store refused: trust it once, always, or not. May be called from a
    // worker (the connection is opened there); without a window it is refused.
    virtual CertificateTrust AskCertificateTrust(const CCertificateInfo&) { return CertificateTrust::Reject; }

    // An SFTP server's host key that neither known_hosts nor the settings hold (or another than they
    // hold): trust it once, always, or not. Called as AskCertificateTrust is; refused without a window.
    virtual CertificateTrust AskHostKeyTrust(const CHostKeyQuestion&) { return CertificateTrust::Reject; }

    // A server that offers no TLS and was never allowed without it: log in unencrypted this time,
    // always (remembered), or not. Called as AskCertificateTrust is; without a window it is refused.
    virtual PlainConsent AskPlainConsent(const std::string& /*host*/, int /*port*/) { return PlainConsent::Refuse; }
    // Whether the connection kept between runs is unencrypted (false also when there is none): the
    // window shows it. UI thread.
    virtual void ShowUnencrypted(bool /*unencrypted*/) {}

    // A find has filled the list (the window may size its columns to the names).
    virtual void OnFilesFound() {}

    // After the Connect dialog: the language setting may have changed.
    virtual void ApplyLanguage() = 0;

    // The wait cursor around long work on the UI thread (finding files).
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}

    // A one-shot timer; when it fires the host calls CRunController::OnStopTimer on the UI thread.
    virtual void StartStopTimer(int milliseconds) = 0;
    virtual void KillStopTimer() = 0;

    // Queues call for the UI thread, after everything queued before it; any thread.
    virtual void PostToUi(std::function<void()> call) = 0;

    // The settings as read from the file, before a command uses them: a host that was given some of
    // them another way puts them in (the headless command's password and "all files"). UI thread.
    virtual void AdjustSettings(CViewSettings& /*settings*/) {}
    // A new connection, before it opens (a host may attach its command log). Any thread: a run's
    // further connections are prepared by its worker.
    virtual void PrepareConnection(CFtpConnection& /*connection*/) {}
};

} // namespace skerrow
