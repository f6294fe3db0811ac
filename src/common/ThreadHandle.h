#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// A worker thread together with a mark that it has returned, so that a
// finished thread can be joined without ever blocking the joiner.
class CThreadHandle {
public:
    CThreadHandle() = default;

    // Starts body on a new thread. Throws std::system_error when the system
    // cannot create one.
    static CThreadHandle Start(std::function<void()> body);

    [[nodiscard]] bool Joinable() const { return m_thread.joinable(); }
    [[nodiscard]] bool HasReturned() const { return m_pReturned && m_pReturned->load(); }
    void Join();

private:
    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_pReturned;
};
