#include "support/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void RunXvfb(const char* fdText) {
    const int fdNull = open("/dev/null", O_RDWR);
    if (fdNull >= 0) {
        dup2(fdNull, STDIN_FILENO);
        dup2(fdNull, STDOUT_FILENO);
        dup2(fdNull, STDERR_FILENO);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", fdText, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
}

}  // namespace

XvfbDisplay::~XvfbDisplay() {
    Stop();
}

bool XvfbDisplay::Start(int timeoutMs) {
    int fds[2];
    if (pipe(fds) != 0) {
        m_strError = std::string("pipe: ") + strerror(errno);
        return false;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fdText = std::to_string(fds[1]);
    m_pid = fork();
    if (m_pid == 0) {
        close(fds[0]);
        RunXvfb(fdText.c_str());
    }
    close(fds[1]);
    if (m_pid < 0) {
        m_strError = std::string("fork: ") + strerror(errno);
        close(fds[0]);
        return false;
    }

    // Xvfb writes its display number once it accepts clients; the pipe ends
    // without one when it could not start.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
            m_strError = "Xvfb did not report a display in time";
            break;
        }
        char buffer[32];
        const ssize_t got = read(fds[0], buffer, sizeof(buffer));
        if (got <= 0) {
            m_strError = "Xvfb ended at once (is it installed?)";
            break;
        }
        number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        Stop();
        return false;
    }
    m_strDisplay = ":" + number.substr(0, number.find('\n'));
    return true;
}

void XvfbDisplay::Stop() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    for (int tries = 0; tries < 500; ++tries) {  // up to 5 s
        if (waitpid(m_pid, nullptr, WNOHANG) != 0) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}
