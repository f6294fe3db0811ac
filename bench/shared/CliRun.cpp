#include "CliRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "common/FileUtil.h"
#include "common/StringTable.h"

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(5);
constexpr auto kKillAfter = std::chrono::seconds(10);

// Waits for the child until deadline; true when it ended (status and its
// resource use set).
bool WaitUntil(pid_t pid, Clock::time_point deadline, int& status, rusage& usage) {
    while (Clock::now() < deadline) {
        const pid_t ended = wait4(pid, &status, WNOHANG, &usage);
        if (ended == pid || (ended < 0 && errno != EINTR)) {
            return true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}
}  // namespace

bool CChildRun::Succeeded() const {
    return m_bStarted && !m_bTimedOut && WIFEXITED(m_nStatus) && WEXITSTATUS(m_nStatus) == 0;
}

std::string CChildRun::Failure(std::chrono::seconds timeout) const {
    if (!m_bStarted) {
        return m_strError;
    }
    if (m_bTimedOut) {
        return "timed out after " + std::to_string(timeout.count()) + " s";
    }
    if (WIFSIGNALED(m_nStatus)) {
        return "was killed by signal " + std::to_string(WTERMSIG(m_nStatus));
    }
    return "ended with status " + std::to_string(WEXITSTATUS(m_nStatus));
}

CChildRun RunChild(const std::vector<std::string>& argv, const std::string& strLogFile,
                   std::chrono::seconds timeout) {
    CChildRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, strLogFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<const char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(argument.c_str());
    }
    arguments.push_back(nullptr);

    const auto started = Clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, arguments[0], &actions, nullptr,
                                    const_cast<char* const*>(arguments.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.m_strError = "cannot start " + argv[0] + ": " + std::strerror(spawned);
        return run;
    }
    run.m_bStarted = true;
    rusage usage{};
    if (!WaitUntil(pid, started + timeout, run.m_nStatus, usage)) {
        run.m_bTimedOut = true;
        kill(pid, SIGINT);
        if (!WaitUntil(pid, Clock::now() + kKillAfter, run.m_nStatus, usage)) {
            kill(pid, SIGKILL);
            wait4(pid, &run.m_nStatus, 0, &usage);
        }
    }
    run.m_wallTime = Clock::now() - started;
    run.m_cpuTime =
        std::chrono::duration<double>(Seconds(usage.ru_utime) + Seconds(usage.ru_stime));
    return run;
}

CCliRun RunCli(const std::string& strCli, const std::string& strTaskFile,
               const std::string& strLogFile, std::chrono::seconds timeout) {
    const CChildRun child = RunChild({strCli, "run", strTaskFile}, strLogFile, timeout);
    CCliRun run;
    run.m_bTimedOut = child.m_bTimedOut;
    run.m_wallTime = child.m_wallTime;
    run.m_cpuTime = child.m_cpuTime;

    std::string output;
    ReadWholeFile(strLogFile, output);
    const std::string finished = "Task " + LoadString(IDS_STATE_FINISHED) + ":";
    if (!child.Succeeded()) {
        run.m_strError = child.m_bStarted && !child.m_bTimedOut
                             ? "quobrix-cli " + child.Failure(timeout) + " (see " + strLogFile + ")"
                             : child.Failure(timeout);
    } else if (output.find(finished) == std::string::npos) {
        run.m_strError = "quobrix-cli did not finish the task (see " + strLogFile + ")";
    } else {
        run.m_bFinished = true;
    }
    return run;
}
