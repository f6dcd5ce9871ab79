// The servers a test starts, and the daemons their scripts start, end with the test process however
// it ends: here the process that started one is killed with SIGKILL, as ctest's time-out or a
// sanitizer's halt would end it.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/CFtpServerProcess.h"
#include "support/CTempDir.h"

namespace skerrow::test {
namespace {

// pid and its descendants (children of any of its threads), as /proc shows them now.
std::vector<pid_t> Family(pid_t pid)
{
    std::vector<pid_t> family{pid};
    for (size_t at = 0; at < family.size(); ++at) {
        std::error_code ec;
        const std::string tasks = "/proc/" + std::to_string(family[at]) + "/task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
            std::ifstream children(task.path() / "children");
            for (pid_t child = 0; children >> child;)
                family.push_back(child);
        }
    }
    return family;
}

// Ended: no such process, or a zombie nobody reaps.
bool Ended(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const size_t name = stat.rfind(')');
    return name == std::string::npos || stat.compare(name, 3, ") Z") == 0;
}

std::string CommandOf(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// What the killed scripts (and the server object, whose destructor never ran) leave behind: the
// temporary directories of sshd and vsftpd, which their command lines name.
void RemoveWorkDirs(const std::string& command)
{
    std::string word;
    for (char c : command + '\0') {
        if (c != '\0' && c != ' ') {
            word += c;
            continue;
        }
        for (const char* kind : {"/tmp/skerrow-sshd-", "/tmp/skerrow-vsftpd-"}) {
            std::error_code ec;
            if (word.rfind(kind, 0) == 0)
                std::filesystem::remove_all(word.substr(0, word.find('/', 5)), ec);
        }
        word.clear();
    }
}

bool Answers(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

struct LifeCase {
    const char* name;
    FtpServerKind kind;
    std::vector<std::string> args;
    bool onThread; // started on a thread that has ended before the process is killed
    bool daemon;   // the script starts the server proper (vsftpd, sshd) in a process of its own
};

class TestServerLifeTest : public ::testing::TestWithParam<LifeCase> {};

TEST_P(TestServerLifeTest, TheServerAndItsDaemonEndWithTheProcessThatStartedIt)
{
    const LifeCase& c = GetParam();
    CTempDir served;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t starter = ::fork();
    if (starter == 0) {
        ::close(report[0]);
        std::unique_ptr<CFtpServerProcess> server;
        const auto start = [&] { server = std::make_unique<CFtpServerProcess>(c.kind, served.Str(), c.args); };
        if (c.onThread) {
            std::thread(start).join();
            // A signal due at the thread's end may come a moment after the join.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        } else {
            start();
        }
        const std::string line = std::to_string(server->Port()) + " " + server->Error() + "\n";
        if (::write(report[1], line.data(), line.size()) < 0 || !server->Started())
            ::_exit(0);
        for (;;)
            ::pause();
    }
    ::close(report[1]);
    ASSERT_GT(starter, 0);
    std::string line;
    char buffer[256];
    pollfd ready{report[0], POLLIN, 0};
    for (ssize_t got = 1; got > 0 && line.find('\n') == std::string::npos && ::poll(&ready, 1, 60000) == 1;) {
        got = ::read(report[0], buffer, sizeof buffer);
        line.append(buffer, static_cast<size_t>(std::max<ssize_t>(got, 0)));
    }
    ::close(report[0]);
    const int port = std::atoi(line.c_str());
    const std::vector<pid_t> family = Family(starter);
    std::vector<std::string> commands;
    for (const pid_t pid : family)
        commands.push_back(CommandOf(pid));
    const bool answered = port > 0 && Answers(port);
    ::kill(starter, SIGKILL);
    int status = 0;
    ::waitpid(starter, &status, 0);
    if (port <= 0)
        GTEST_SKIP() << line;
    EXPECT_GE(family.size(), c.daemon ? 3u : 2u) << "the starter, the script and its daemon";
    EXPECT_TRUE(answered) << "the server outlives the thread that started it";

    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const auto allEnded = [&family, port] {
        return std::all_of(family.begin(), family.end(), Ended) && !Answers(port);
    };
    while (!allEnded() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (size_t i = 0; i < family.size(); ++i) {
        EXPECT_TRUE(Ended(family[i])) << family[i] << " still runs: " << commands[i];
        if (!Ended(family[i]))
            ::kill(family[i], SIGKILL);
    }
    EXPECT_FALSE(Answers(port));
    for (const std::string& command : commands)
        RemoveWorkDirs(command);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TestServerLifeTest,
    ::testing::Values(LifeCase{"pyftpdlib", FtpServerKind::Pyftpdlib, {}, false, false},
                      LifeCase{"misbehavingOnAThread", FtpServerKind::Misbehaving, {}, true, false},
                      LifeCase{"vsftpdOnAThread", FtpServerKind::Vsftpd, {}, true, true},
                      LifeCase{"sshd", FtpServerKind::Sshd, {}, false, true},
                      LifeCase{"sshdWithPasswordOnAThread", FtpServerKind::Sshd, {"--password", "s3cret-Pw"}, true,
                               true}),
    [](const ::testing::TestParamInfo<LifeCase>& param) { return std::string(param.param.name); });

} // namespace
} // namespace skerrow::test
