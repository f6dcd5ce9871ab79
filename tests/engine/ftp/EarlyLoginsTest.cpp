// Logins begun ahead of the work: a taken one is the taker's, logged in; the others are aborted and
// closed by Close without waiting for a server that holds them; a fault in a login reaches its taker.

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "ftp/CConnectionLanes.h"
#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"
#include "support/CFtpTestBench.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

TEST(EarlyLogins, TakenLoginsAreInTheRestAreAbortedAndAFaultReachesItsTaker)
{
    // The server answers no PASS before three sessions have sent USER (3 s at most).
    CFtpTestBench bench(FtpServerKind::Misbehaving,
                        [](CTempDir&) { return std::vector<std::string>{"--hold-login", "3"}; });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    const auto plain = [](CFtpConnection& connection) { connection.SetEncryption(FtpEncryption::Plain); };
    const auto open = bench.Lanes(2, plain).open;
    {
        CEarlyLogins logins(3, open, nullptr);
        EXPECT_TRUE(logins.Take(0));
        EXPECT_TRUE(logins.Connection(0)->IsOpen());
        EXPECT_FALSE(logins.Take(0)); // once
        logins.Connection(0)->Close();
        logins.Close();
        EXPECT_FALSE(logins.Connection(1)->IsOpen());
        EXPECT_FALSE(logins.Take(2)); // closed
    }
    // Two logins a server holds in PASS: Close does not wait for it.
    CFtpTestBench holding(FtpServerKind::Misbehaving,
                          [](CTempDir&) { return std::vector<std::string>{"--hold-login", "9"}; });
    ASSERT_TRUE(holding.Ready()) << holding.Skip();
    {
        const auto start = std::chrono::steady_clock::now();
        CEarlyLogins held(2, holding.Lanes(2, plain).open, nullptr);
        held.Close();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
        EXPECT_TRUE(held.Connection(0)->IsAborted());
    }
    CEarlyLogins faulty(1, [](CFtpConnection&) -> bool { throw std::runtime_error("made by the test"); }, nullptr);
    EXPECT_THROW(faulty.Take(0), std::runtime_error);
}

} // namespace
} // namespace skerrow

namespace skerrow {
namespace {

// Early logins start at the first connection's greeting, never at a refusal in its place.
TEST(EarlyLogins, AServerThatRefusesTheSessionGivesNoGreeting)
{
    test::CFtpTestBench bench(test::FtpServerKind::Misbehaving,
                              [](test::CTempDir&) { return std::vector<std::string>{"--max-sessions", "1"}; });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open(5)); // the only session
    CFtpConnection refused;
    refused.SetEncryption(FtpEncryption::Plain);
    bool greeted = false;
    refused.SetGreetedCallback([&greeted] { greeted = true; });
    EXPECT_FALSE(refused.Open("127.0.0.1", bench.Server().Port(), "u", "p", true));
    EXPECT_FALSE(greeted);
}

} // namespace
} // namespace skerrow

namespace skerrow {
namespace {

// A start that fails part-way (the third connection cannot be handed to the run) is thrown to the
// caller only once the logins and lanes already under way are cut off and joined: never a
// joinable thread left behind (which ends the program), never one running on what is gone.
TEST(EarlyLogins, AStartThatFailsPartWayJoinsWhatItStarted)
{
    const auto waitForAbort = [](CFtpConnection& connection) {
        while (!connection.IsAborted())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    };
    const auto thirdFails = [](int& tracked) {
        return [&tracked](const std::shared_ptr<CFtpConnection>&) {
            if (++tracked == 3)
                throw std::runtime_error("made by the test");
        };
    };
    int tracked = 0;
    EXPECT_THROW(CEarlyLogins(4, waitForAbort, thirdFails(tracked)), std::runtime_error);
    tracked = 0;
    CFtpConnection first;
    CConnectionLanes::Setup setup;
    setup.connections = 5;
    setup.open = waitForAbort;
    setup.track = thirdFails(tracked);
    CConnectionLanes lanes(first, setup);
    EXPECT_THROW(lanes.Run([](CFtpConnection&) {}, [] { return true; }), std::runtime_error);
}

} // namespace
} // namespace skerrow
