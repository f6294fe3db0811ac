#include "server/RequestReader.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "server/RequestParser.h"

namespace {
constexpr size_t kReceiveBytes = 4096;
}  // namespace

CRequestReader::CRequestReader(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

CRequestReader::~CRequestReader() {
    CloseAll();
}

bool CRequestReader::HasRoom() const {
    return m_waiting.size() < kMaxWaiting ||
           std::any_of(m_waiting.begin(), m_waiting.end(),
                       [](const CWaiting& waiting) { return !waiting.m_bWhole; });
}

void CRequestReader::Add(int sock) {
    if (m_waiting.size() >= kMaxWaiting) {
        const auto oldest = std::find_if(m_waiting.begin(), m_waiting.end(),
                                         [](const CWaiting& waiting) { return !waiting.m_bWhole; });
        if (oldest == m_waiting.end()) {
            close(sock);
            return;
        }
        close(oldest->m_sock);
        m_waiting.erase(oldest);
    }
    CWaiting& waiting = m_waiting.emplace_back();
    waiting.m_sock = sock;
    waiting.m_deadline = Clock::now() + m_timeLimit;
}

bool CRequestReader::Receive(CWaiting& waiting) {
    char buffer[kReceiveBytes];
    const ssize_t got = recv(waiting.m_sock, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    if (got == 0) {
        return false;  // closed before the request was whole
    }
    // The blank line may have begun in the bytes that came before.
    const size_t from = waiting.m_strText.size() < 2 ? 0 : waiting.m_strText.size() - 2;
    waiting.m_strText.append(buffer, static_cast<size_t>(got));
    const size_t end = RequestHeaderEnd(std::string_view(waiting.m_strText).substr(from));
    if (end != std::string::npos) {
        waiting.m_strText.resize(from + end);
        waiting.m_bWhole = true;
        return true;
    }
    return waiting.m_strText.size() <= kMaxRequestHeader;
}

void CRequestReader::CloseExpired(Clock::time_point now) {
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (!it->m_bWhole && now >= it->m_deadline) {
            close(it->m_sock);
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
}

bool CRequestReader::Poll(int sockExtra, int timeoutMs) {
    std::vector<pollfd> entries;
    std::vector<size_t> indexes;  // of the waiting connection behind each entry
    if (sockExtra >= 0) {
        entries.push_back({sockExtra, POLLIN, 0});
    }
    const auto now = Clock::now();
    auto wait = std::chrono::milliseconds(timeoutMs);
    for (size_t i = 0; i < m_waiting.size(); ++i) {
        if (!m_waiting[i].m_bWhole) {
            entries.push_back({m_waiting[i].m_sock, POLLIN, 0});
            indexes.push_back(i);
            // Wake up in time to close a connection whose time is up.
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                      std::max(m_waiting[i].m_deadline - now, Clock::duration(0))));
        }
    }
    const int ready = poll(entries.data(), entries.size(), static_cast<int>(wait.count()));
    const size_t first = sockExtra >= 0 ? 1 : 0;
    std::vector<bool> closing(m_waiting.size(), false);
    if (ready > 0) {
        for (size_t e = first; e < entries.size(); ++e) {
            if (entries[e].revents != 0 && !Receive(m_waiting[indexes[e - first]])) {
                closing[indexes[e - first]] = true;
            }
        }
    }
    // Closed from the back, so that the indexes in front stay valid.
    for (size_t i = m_waiting.size(); i-- > 0;) {
        if (closing[i]) {
            close(m_waiting[i].m_sock);
            m_waiting.erase(m_waiting.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    CloseExpired(Clock::now());
    return ready > 0 && sockExtra >= 0 && entries[0].revents != 0;
}

std::optional<CRequestReader::CRequest> CRequestReader::TakeWhole() {
    const auto whole = std::find_if(m_waiting.begin(), m_waiting.end(),
                                    [](const CWaiting& waiting) { return waiting.m_bWhole; });
    if (whole == m_waiting.end()) {
        return std::nullopt;
    }
    CRequest request{whole->m_sock, std::move(whole->m_strText)};
    m_waiting.erase(whole);
    return request;
}

void CRequestReader::CloseAll() {
    for (const CWaiting& waiting : m_waiting) {
        close(waiting.m_sock);
    }
    m_waiting.clear();
}
