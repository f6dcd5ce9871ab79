#include "run/CRunQuestions.h"

#include "run/CRun.h"
#include "run/IRunHost.h"

namespace skerrow {

void CRunQuestions::Attach(std::shared_ptr<CRun> run)
{
    std::lock_guard lock(m_mutex);
    m_run = std::move(run);
}

void CRunQuestions::Detach()
{
    std::lock_guard lock(m_mutex);
    m_run.reset();
}

template <typename Answer, typename Ask, typename Accepted>
Answer CRunQuestions::Put(Answer refused, Answer automatic, const Ask& ask, const Accepted& accepted)
{
    std::shared_ptr<CRun> run;
    {
        std::lock_guard lock(m_mutex);
        run = m_run;
    }
    if (!run)
        return refused;
    Answer answer = automatic;
    if (!run->Automatic()) {
        // The stop timer leaves a run alone while it waits for the user's answer.
        run->SetWaitingForUser(true);
        answer = ask(m_host);
        run->SetWaitingForUser(false);
    }
    if (answer != refused)
        accepted(*run);
    return answer;
}

CertificateCheck CRunQuestions::CertificateAsk()
{
    return [self = shared_from_this()](const CCertificateInfo& info) {
        return self->Put(
            CertificateTrust::Reject, CertificateTrust::Reject,
            [&](IRunHost& host) { return host.AskCertificateTrust(info); },
            [&](CRun& run) { run.SetAcceptedCertificate(info.fingerprint); });
    };
}

std::function<PlainConsent(const std::string&, int)> CRunQuestions::PlainAsk()
{
    return [self = shared_from_this()](const std::string& server, int port) {
        return self->Put(
            PlainConsent::Refuse, PlainConsent::Once, [&](IRunHost& host) { return host.AskPlainConsent(server, port); },
            [](CRun&) {});
    };
}

CSshHostKeyCheck::Ask CRunQuestions::HostKeyAsk()
{
    return [self = shared_from_this()](const CHostKeyQuestion& question) {
        return self->Put(
            CertificateTrust::Reject, CertificateTrust::Reject,
            [&](IRunHost& host) { return host.AskHostKeyTrust(question); },
            [&](CRun& run) { run.SetAcceptedCertificate(question.key.fingerprint); });
    };
}

} // namespace skerrow
