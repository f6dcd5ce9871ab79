#pragma once
// The questions a run's connections may put to the user: a certificate the trust store refuses, a
// server that offers no TLS, an SSH host key that is not known. A connection is given the asks of
// this object, never a run of its own: the connection kept between runs asks whichever run is
// attached now, and while none is (between runs, once the run control has gone) every question is
// refused without reaching the window. An answer that lets the connection go on is the run's
// accepted certificate or key, which its further connections trust without asking.
//
// Attach and Detach on the UI thread; the asks on any thread. An automatic run never asks: a
// certificate or key is refused, plain FTP goes on once (as stored plain-FTP sites rely on).

#include <memory>
#include <mutex>
#include <string>

#include "ftp/CCertificateInfo.h"
#include "ftp/CPlainFtpPolicy.h"
#include "ftp/CSshHostKeyCheck.h"

namespace skerrow {

class CRun;
class IRunHost;

class CRunQuestions : public std::enable_shared_from_this<CRunQuestions> {
public:
    explicit CRunQuestions(IRunHost& host) : m_host(host) {}
    virtual ~CRunQuestions() = default;
    CRunQuestions(const CRunQuestions&) = delete;
    CRunQuestions& operator=(const CRunQuestions&) = delete;

    void Attach(std::shared_ptr<CRun> run);
    void Detach();

    // The asks to install on a connection; each holds this object, not the run.
    CertificateCheck CertificateAsk();
    std::function<PlainConsent(const std::string& host, int port)> PlainAsk();
    CSshHostKeyCheck::Ask HostKeyAsk();

private:
    // ask(host) for the attached run, which is marked as waiting for the user meanwhile; refused
    // when no run is attached, automatic for an automatic run. An answer other than refused is the
    // run's to remember: accepted(run).
    template <typename Answer, typename Ask, typename Accepted>
    Answer Put(Answer refused, Answer automatic, const Ask& ask, const Accepted& accepted);

    IRunHost& m_host; // reached only while a run is attached: the host outlives every run
    std::mutex m_mutex;
    std::shared_ptr<CRun> m_run;
};

} // namespace skerrow
