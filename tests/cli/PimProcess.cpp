#include "tests/cli/PimProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/TestTools.h"

extern char** environ;

namespace pim::test {

namespace {

std::vector<std::string> Environment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("LANG=", 0) == 0 || entry.rfind("LC_", 0) == 0) continue;
        env.push_back(entry);
    }
    env.push_back("LC_ALL=C.UTF-8");
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Waits for the process; its exit code and peak memory go into result.
void Reap(pid_t pid, TPimResult& result) {
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.peakKiB = usage.ru_maxrss;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
}

// Starts pim with stdout into a file and stderr into `errFd`.
pid_t Spawn(const std::vector<std::string>& args, const std::string& outFile, int errFd) {
    std::vector<std::string> argv = {PIM_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = Environment();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, PIM_CLI_PATH, &actions, nullptr, Pointers(argv).data(), Pointers(env).data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

TPimResult RunPim(const std::vector<std::string>& args) {
    const std::string outFile = OutputPath("pim-stdout.txt");
    const std::string errFile = OutputPath("pim-stderr.txt");
    const int errFd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    TPimResult result;
    const pid_t pid = Spawn(args, outFile, errFd);
    close(errFd);
    if (pid < 0) return result;
    Reap(pid, result);
    result.out = ReadFileBytes(outFile);
    result.err = ReadFileBytes(errFile);
    return result;
}

TPimResult RunPimAndInterrupt(const std::vector<std::string>& args, int signal, const std::string& when) {
    const std::string outFile = OutputPath("pim-stdout.txt");
    int pipeFds[2];
    TPimResult result;
    if (pipe(pipeFds) != 0) return result;
    const pid_t pid = Spawn(args, outFile, pipeFds[1]);
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return result;
    }
    bool sent = false;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        result.err.append(buffer, static_cast<std::size_t>(n));
        if (!sent && result.err.find(when) != std::string::npos) {
            kill(pid, signal);
            sent = true;
        }
    }
    close(pipeFds[0]);
    Reap(pid, result);
    result.out = ReadFileBytes(outFile);
    return result;
}

}  // namespace pim::test
