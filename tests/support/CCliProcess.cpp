#include "support/CCliProcess.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/CTempDir.h"

extern char** environ;

namespace skerrow::test {

std::string CCliProcess::BinaryPath()
{
    return std::string(SKERROW_BIN_DIR) + "/skerrow-cli";
}

CCliResult CCliProcess::Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment)
{
    CTempDir outputs;
    const std::string outPath = (outputs.Path() / "out").string();
    const std::string errPath = (outputs.Path() / "err").string();

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string line = *entry;
        const std::string name = line.substr(0, line.find('=') + 1);
        bool replaced = false;
        for (const std::string& extra : extraEnvironment)
            replaced = replaced || extra.compare(0, name.size(), name) == 0;
        if (!replaced)
            environment.push_back(line);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    std::vector<std::string> argStrings{BinaryPath()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);

    CCliResult result;
    if (spawned != 0)
        return result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = outputs.ReadFile("out");
    result.err = outputs.ReadFile("err");
    return result;
}

} // namespace skerrow::test
