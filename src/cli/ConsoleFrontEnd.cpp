#include "cli/ConsoleFrontEnd.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>

#include "common/Messages.h"
#include "common/PageFailure.h"
#include "common/StringTable.h"
#include "results/FailureRecord.h"
#include "task/Task.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kThreadLineInterval = std::chrono::seconds(1);   // per slot, unless verbose
constexpr auto kCounterLineInterval = std::chrono::milliseconds(250);
constexpr int kInputSliceMs = 100;  // how soon a pending prompt sees a pause

std::string Text(const NotifyParam& param) {
    return std::holds_alternative<std::string>(param) ? std::get<std::string>(param) : "";
}

int64_t Number(const NotifyParam& param) {
    return std::holds_alternative<int64_t>(param) ? std::get<int64_t>(param) : 0;
}

// One line typed on the terminal, without echo when asked; read a byte at a
// time, so that nothing after the line is taken. Nothing when the input ends
// or stopped() answers true: the run no longer waits for the answer.
std::optional<std::string> ReadLine(bool echo, const std::function<bool()>& stopped) {
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal && !echo) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::optional<std::string> line = std::string();
    while (line) {
        if (stopped()) {
            line.reset();
            break;
        }
        pollfd entry{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&entry, 1, kInputSliceMs);
        if (ready == 0 || (ready < 0 && errno == EINTR)) {
            continue;
        }
        char ch = 0;
        const ssize_t got = ready < 0 ? -1 : read(STDIN_FILENO, &ch, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            line.reset();
        } else if (ch == '\n') {
            break;
        } else {
            *line += ch;
        }
    }
    if (terminal && !echo) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << "\n";
    }
    return line;
}
}  // namespace

CConsoleFrontEnd::CConsoleFrontEnd(ITask& doc, Verbosity verbosity)
    : m_doc(doc), m_verbosity(verbosity) {}

void CConsoleFrontEnd::Attach() {
    m_doc.SetReceivers(this, this, this);
}

void CConsoleFrontEnd::Detach() {
    m_doc.ClearReceivers();
}

int64_t CConsoleFrontEnd::Send(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    switch (message) {
        case WM_THREAD_STATUS:
            OnThreadStatus(static_cast<int>((wParam >> 8) & 0xFF), static_cast<int>(wParam & 0xFF),
                           Text(lParam));
            return 0;
        case WM_TASK_STATE: {
            std::lock_guard lock(m_lock);
            if (m_verbosity != Verbosity::Quiet) {
                PrintLocked("State: " + Text(lParam));
            }
            return 0;
        }
        case WM_PAGE_FAILED:
            OnPageFailed(wParam, Text(lParam));
            return 0;
        case WM_OUTAGE_PAUSED:
            OnOutagePaused(wParam, Text(lParam));
            return 0;
        case WM_CERTIFICATES_UNCHECKED: {
            std::lock_guard lock(m_lock);
            std::cerr << "quobrix-cli: " << Text(lParam) << std::endl;
            return 0;
        }
        case WM_LINKS_QUEUED:
        case WM_LINKS_REQUESTED:
        case WM_SITES_LEFT:
            OnCounter(message, Number(lParam));
            return 0;
        case WM_AUTHORIZE:
            return OnAuthorize(Text(lParam));
        case WM_FILE_ERROR:
            OnFileError(static_cast<int>(wParam), Text(lParam));
            return 0;
        default:
            return 0;  // the view's navigation has nothing to show here
    }
}

void CConsoleFrontEnd::Post(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    if (message == WM_THREADS_RESET) {
        std::lock_guard lock(m_lock);
        m_lastThreadLine = {};
        return;
    }
    Send(message, wParam, lParam);
}

void CConsoleFrontEnd::OnThreadStatus(int slot, int phase, const std::string& text) {
    std::lock_guard lock(m_lock);
    if (m_verbosity == Verbosity::Quiet || slot < 0 || slot >= SLOT_COUNT) {
        return;
    }
    const auto now = Clock::now();
    // Progress lines come after every 512 bytes; without --verbose a slot
    // shows at most one a second, and always its last line.
    if (m_verbosity == Verbosity::Normal && phase != PHASE_ENDED &&
        now - m_lastThreadLine[slot] < kThreadLineInterval) {
        return;
    }
    m_lastThreadLine[slot] = now;
    PrintLocked(std::string("[") + (slot + 1 < 10 ? " " : "") + std::to_string(slot + 1) + "] " +
                text);
}

void CConsoleFrontEnd::OnPageFailed(int64_t wParam, const std::string& param) {
    std::lock_guard lock(m_lock);
    if (m_verbosity != Verbosity::Verbose) {
        return;  // the run's summary counts them
    }
    const int slot = SlotOfFailureParam(wParam);
    CPageFailure failure = FailureOfParam(wParam);
    if (IsToldOnThreadLine(failure.m_reason)) {
        return;  // its thread's line said it already
    }
    const std::string url = UrlOfFailedParam(param, failure);
    PrintLocked(std::string("[") + (slot + 1 < 10 ? " " : "") + std::to_string(slot + 1) + "] " +
                FormatString(IDS_NOT_RETRIEVED_LINE, {url, FailureText(failure)}));
}

void CConsoleFrontEnd::OnOutagePaused(int64_t wParam, const std::string& where) {
    std::lock_guard lock(m_lock);
    m_bOutagePause = true;
    std::cerr << "quobrix-cli: " << FormatOutagePause(FailureOfParam(wParam), where) << std::endl;
}

void CConsoleFrontEnd::PrintLocked(const std::string& line) {
    if (m_bOutputClosed) {
        return;
    }
    std::cout << line << std::endl;
    if (!std::cout) {
        m_bOutputClosed = true;
    }
}

bool CConsoleFrontEnd::OutputClosed() const {
    std::lock_guard lock(m_lock);
    return m_bOutputClosed;
}

bool CConsoleFrontEnd::PausedForOutage() const {
    std::lock_guard lock(m_lock);
    return m_bOutagePause;
}

void CConsoleFrontEnd::OnCounter(unsigned message, int64_t value) {
    std::lock_guard lock(m_lock);
    if (message == WM_SITES_LEFT) {
        m_nSitesLeft = value;
    } else if (message == WM_LINKS_QUEUED) {
        m_nLinksQueued = value;
    } else {
        m_nLinksRequested = value;
    }
    if (Clock::now() - m_lastCounterLine >= kCounterLineInterval) {
        PrintCountersLocked();
    }
}

void CConsoleFrontEnd::FlushCounters() {
    std::lock_guard lock(m_lock);
    PrintCountersLocked();
}

void CConsoleFrontEnd::PrintCountersLocked() {
    const std::string line = FormatString(IDS_SITES_LEFT, {m_nSitesLeft}) + ", " +
                             FormatString(IDS_LINKS_QUEUED, {m_nLinksQueued}) + ", " +
                             FormatString(IDS_LINKS_REQUESTED, {m_nLinksRequested});
    if (line == m_strLastCounters) {
        return;
    }
    m_strLastCounters = line;
    m_lastCounterLine = Clock::now();
    if (m_verbosity != Verbosity::Quiet) {
        PrintLocked(line);
    }
}

int64_t CConsoleFrontEnd::OnAuthorize(const std::string& url) {
    // Asked only on a terminal; a script's run answers that no account is
    // given, which leaves the credential as it was.
    if (!isatty(STDIN_FILENO)) {
        return 0;
    }
    // The terminal is read without the output lock, so the other
    // notifications (progress, a pause, the run's end) go on meanwhile. A
    // pause or abort ends the prompt: the page fails, the credential stays.
    std::lock_guard prompt(m_csPrompt);
    const auto stopped = [this] { return m_doc.IsStopping(); };
    Prompt("Account and password are required to access the URL:\n" + url + "\nAccount: ");
    const std::optional<std::string> account = ReadLine(true, stopped);
    std::optional<std::string> password;
    std::optional<std::string> again;
    if (account) {
        Prompt("Password: ");
        password = ReadLine(false, stopped);
    }
    if (password) {
        Prompt("Do not prompt next time? [y/N] ");
        again = ReadLine(true, stopped);
        if (!again && !stopped()) {
            // The input ended (Ctrl+D) at the last question: its default,
            // "no", and the account just typed stands.
            Prompt("\n");
            again = std::string();
        }
    }
    if (!again) {
        if (!stopped()) {
            m_doc.AnswerAuthorization(url, false, "", "", false);  // the input ended
        }
        return 0;
    }
    m_doc.AnswerAuthorization(url, true, *account, *password, *again == "y" || *again == "Y");
    return 1;
}

void CConsoleFrontEnd::Prompt(const std::string& text) {
    std::lock_guard lock(m_lock);
    std::cerr << text << std::flush;
}

void CConsoleFrontEnd::OnFileError(int error, const std::string& path) {
    std::lock_guard lock(m_lock);
    if (m_nFileError == 0) {
        m_nFileError = error;
        m_strFileErrorPath = path;
    }
    std::string message = FormatString(IDS_CANT_CREATE_FILE, {path});
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    std::cerr << "quobrix-cli: " << message << " " << std::strerror(error) << std::endl;
}

int CConsoleFrontEnd::FileError() const {
    std::lock_guard lock(m_lock);
    return m_nFileError;
}

std::string CConsoleFrontEnd::FileErrorPath() const {
    std::lock_guard lock(m_lock);
    return m_strFileErrorPath;
}
