#include "cli/CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

extern char** environ;

namespace {
// Reads both pipes until they close, or kills the program after limit.
void Collect(pid_t pid, int outFd, int errFd, CliResult& result, std::chrono::seconds limit,
             const std::function<void(pid_t, const std::string&)>& onOutput,
             const std::string& closeOutputAfter) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, 1000) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                char buffer[65536];
                const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
                if (got > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(got));
                    if (i == 0 && onOutput) {
                        onOutput(pid, result.out);
                    }
                }
                if (got <= 0 || (i == 0 && !closeOutputAfter.empty() &&
                                 result.out.find(closeOutputAfter) != std::string::npos)) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
}
}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& configHome,
                 const std::function<void(pid_t)>& during, std::chrono::seconds limit,
                 const std::function<void(pid_t, const std::string&)>& onOutput,
                 const std::string& closeOutputAfter) {
    CliResult result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("HOME=", 0) != 0) {
            env.push_back(entry);
        }
    }
    env.push_back("XDG_CONFIG_HOME=" + configHome);
    env.push_back("HOME=" + configHome);

    std::vector<char*> argv;
    std::string program = QUOBRIX_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        return result;
    }
    std::thread helper;
    if (during) {
        helper = std::thread([&during, pid] { during(pid); });
    }
    Collect(pid, out[0], err[0], result, limit, onOutput, closeOutputAfter);
    if (helper.joinable()) {
        helper.join();
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}
