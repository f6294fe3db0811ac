#include "CliRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "common/FileUtil.h"
#include "common/StringTable.h"

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(5);
constexpr auto kKillAfter = std::chrono::seconds(10);

// Waits for the child until deadline; true when it ended (status set).
bool WaitUntil(pid_t pid, Clock::time_point deadline, int& status) {
    while (Clock::now() < deadline) {
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR)) {
            return true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}
}  // namespace

CCliRun RunCli(const std::string& strCli, const std::string& strTaskFile,
               const std::string& strLogFile, std::chrono::seconds timeout) {
    CCliRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, strLogFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<const char*> argv = {strCli.c_str(), "run", strTaskFile.c_str(), nullptr};

    const auto started = Clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, strCli.c_str(), &actions, nullptr,
                                    const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.m_strError = "cannot start " + strCli + ": " + std::strerror(spawned);
        return run;
    }
    int status = 0;
    if (!WaitUntil(pid, started + timeout, status)) {
        run.m_bTimedOut = true;
        kill(pid, SIGINT);
        if (!WaitUntil(pid, Clock::now() + kKillAfter, status)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    run.m_wallTime = Clock::now() - started;

    std::string output;
    ReadWholeFile(strLogFile, output);
    const std::string finished = "Task " + LoadString(IDS_STATE_FINISHED) + ":";
    if (run.m_bTimedOut) {
        run.m_strError = "timed out after " + std::to_string(timeout.count()) + " s";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.m_strError = "quobrix-cli ended with status " +
                         std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                         " (see " + strLogFile + ")";
    } else if (output.find(finished) == std::string::npos) {
        run.m_strError = "quobrix-cli did not finish the task (see " + strLogFile + ")";
    } else {
        run.m_bFinished = true;
    }
    return run;
}
