// The questions a connection may put to the user reach only the run attached at that moment: the
// connection kept between runs never asks through a run that is over, and an automatic run never
// asks at all.

#include <gtest/gtest.h>

#include <memory>

#include "run/CRun.h"
#include "run/CRunQuestions.h"
#include "support/CRunTestHost.h"

namespace skerrow {
namespace {

TEST(RunQuestionsTest, AQuestionReachesOnlyTheRunAttachedNow)
{
    test::CRunTestHost host;
    host.hostKeyAnswer = CertificateTrust::Once;
    host.certificateAnswer = CertificateTrust::Always;
    const auto questions = std::make_shared<CRunQuestions>(host);
    const auto askKey = questions->HostKeyAsk();
    const auto askCertificate = questions->CertificateAsk();
    const auto askPlain = questions->PlainAsk();
    CHostKeyQuestion key;
    key.key.fingerprint = "SHA256:abc";
    CCertificateInfo certificate;
    certificate.fingerprint = "AA:BB";
    {
        const auto run = std::make_shared<CRun>(1);
        questions->Attach(run);
        EXPECT_EQ(askKey(key), CertificateTrust::Once);
        EXPECT_EQ(run->AcceptedCertificate(), "SHA256:abc");
        EXPECT_EQ(askCertificate(certificate), CertificateTrust::Always);
        EXPECT_EQ(run->AcceptedCertificate(), "AA:BB");
        EXPECT_FALSE(run->WaitingForUser());
        questions->Detach();
    }
    // Between runs (the run above is gone): refused, and the window is not asked.
    EXPECT_EQ(askKey(key), CertificateTrust::Reject);
    EXPECT_EQ(askPlain("example.org", 21), PlainConsent::Refuse);
    const auto automatic = std::make_shared<CRun>(2);
    automatic->SetAutomatic(true);
    questions->Attach(automatic);
    EXPECT_EQ(askKey(key), CertificateTrust::Reject);
    EXPECT_EQ(askPlain("example.org", 21), PlainConsent::Once);
    EXPECT_EQ(automatic->AcceptedCertificate(), "");
    EXPECT_EQ(host.hostKeyQuestions.load(), 1);
    EXPECT_EQ(host.certificateQuestions.load(), 1);
    EXPECT_EQ(host.plainQuestions.load(), 0);
}

} // namespace
} // namespace skerrow
