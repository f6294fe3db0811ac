#pragma once

#include <atomic>
#include <chrono>
#include <string_view>

// One connection of the local server while its answer goes out, owned by the
// thread that answers it: the socket, the server's stop and the time the
// answer may take. Sends wait in short slices, so that a client that stops
// reading neither outlasts the time limit nor holds up a stop of the server.
class CConnection {
public:
    using Clock = std::chrono::steady_clock;

    // Takes sock over; bStopping is the server's stop mark and outlives this.
    CConnection(int sock, const std::atomic<bool>& bStopping, std::chrono::milliseconds timeLimit);
    ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // Sends all bytes; false when they could not all go out (the client went
    // away or read too slowly for the time limit, or the server stops). The
    // connection is closed then, and further sends fail at once.
    bool Send(std::string_view bytes);
    // Shuts the connection down in both directions and closes it, once.
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_sock >= 0; }
    [[nodiscard]] bool Stopping() const { return m_bStopping; }
    // The time limit counts again from now. A live result page renews it while
    // the task runs, so that only each of its sends is bounded.
    void RenewTimeLimit();

private:
    [[nodiscard]] bool GoOn() const;

    int m_sock;
    const std::atomic<bool>& m_bStopping;
    const std::chrono::milliseconds m_timeLimit;
    Clock::time_point m_deadline;
};
