#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

// The connections of the local server whose request has not been answered
// yet, read by the accept thread without blocking: a client that sends its
// request slowly, or never, holds no connection thread. A request is whole at
// the blank line that ends its header. A connection is closed unanswered when
// it closes first, sends more than kMaxRequestHeader bytes without a blank
// line, or has not sent it whole within the time limit; and, when
// kMaxWaiting connections wait, the one waiting longest for its request is
// closed to make room for a new one.
// Used by one thread only.
class CRequestReader {
public:
    static constexpr size_t kMaxWaiting = 256;
    static constexpr size_t kMaxRequestHeader = 64 * 1024;

    struct CRequest {
        int m_sock = -1;         // owned by the taker
        std::string m_strText;   // the header, up to and including its blank line
    };

    explicit CRequestReader(std::chrono::milliseconds timeLimit);
    ~CRequestReader();
    CRequestReader(const CRequestReader&) = delete;
    CRequestReader& operator=(const CRequestReader&) = delete;

    // False when every waiting connection has sent its request already and
    // waits for a thread: no room to take another one.
    [[nodiscard]] bool HasRoom() const;
    // Takes over a new connection.
    void Add(int sock);
    // Waits up to timeoutMs for bytes on the connections still sending their
    // request and, when sockExtra is not -1, for sockExtra to become readable;
    // reads what came and closes what ran out of time. True when sockExtra is
    // readable.
    bool Poll(int sockExtra, int timeoutMs);
    // The request that was whole first, if any.
    std::optional<CRequest> TakeWhole();
    void CloseAll();
    [[nodiscard]] size_t Count() const { return m_waiting.size(); }

private:
    using Clock = std::chrono::steady_clock;
    struct CWaiting {
        int m_sock = -1;
        std::string m_strText;
        Clock::time_point m_deadline;
        bool m_bWhole = false;
    };

    // Reads what the connection has; false when it is to be closed.
    static bool Receive(CWaiting& waiting);
    void CloseExpired(Clock::time_point now);

    const std::chrono::milliseconds m_timeLimit;
    std::deque<CWaiting> m_waiting;  // in the order they came
};
