#include "cli/ConsoleFrontEnd.h"

#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <iostream>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kThreadLineInterval = std::chrono::seconds(1);   // per slot, unless verbose
constexpr auto kCounterLineInterval = std::chrono::milliseconds(250);

std::string Text(const NotifyParam& param) {
    return std::holds_alternative<std::string>(param) ? std::get<std::string>(param) : "";
}

int64_t Number(const NotifyParam& param) {
    return std::holds_alternative<int64_t>(param) ? std::get<int64_t>(param) : 0;
}

// Reads one line from the terminal, without echo when asked.
std::string ReadLine(bool echo) {
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal && !echo) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal && !echo) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << "\n";
    }
    return line;
}
}  // namespace

CConsoleFrontEnd::CConsoleFrontEnd(CQuobrixDoc& doc, Verbosity verbosity)
    : m_doc(doc), m_verbosity(verbosity) {}

void CConsoleFrontEnd::Attach() {
    m_doc.m_hWndMainFrame = this;
    m_doc.m_hWndThreadBar = this;
    m_doc.m_hWndView = this;
}

void CConsoleFrontEnd::Detach() {
    m_doc.m_hWndMainFrame = nullptr;
    m_doc.m_hWndThreadBar = nullptr;
    m_doc.m_hWndView = nullptr;
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
                std::cout << "State: " << Text(lParam) << std::endl;
            }
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
    std::cout << "[" << (slot + 1 < 10 ? " " : "") << slot + 1 << "] " << text << std::endl;
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
        std::cout << line << std::endl;
    }
}

int64_t CConsoleFrontEnd::OnAuthorize(const std::string& url) {
    // Asked only on a terminal; a script's run answers that no account is
    // given, which leaves the credential as it was.
    if (!isatty(STDIN_FILENO)) {
        return 0;
    }
    std::lock_guard lock(m_lock);
    std::cerr << "Account and password are required to access the URL:\n" << url << "\nAccount: ";
    const std::string account = ReadLine(true);
    std::cerr << "Password: ";
    const std::string password = ReadLine(false);
    std::cerr << "Do not prompt next time? [y/N] ";
    const std::string again = ReadLine(true);
    if (!std::cin) {
        std::cin.clear();
        m_doc.AnswerAuthorization(url, false, "", "", false);
        return 0;
    }
    m_doc.AnswerAuthorization(url, true, account, password, again == "y" || again == "Y");
    return 1;
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
