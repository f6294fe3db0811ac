#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

// The loopback listener of the local web server: one accept thread, one
// thread per connection, at most kMaxConnections at once (further
// connections wait in the listen queue, so local clients cannot exhaust the
// program). Stop ends the accept thread and waits for every connection
// thread; handlers see Stopping() and finish within a fraction of a second.
class CLocalServer {
public:
    static constexpr int kMaxConnections = 64;

    // handler owns the connection socket it is given and closes it.
    explicit CLocalServer(std::function<void(int sock)> handler);
    ~CLocalServer();
    CLocalServer(const CLocalServer&) = delete;
    CLocalServer& operator=(const CLocalServer&) = delete;

    // Listens on a loopback address (127.0.0.1 unless named) at port (0: the
    // system chooses). False on failure.
    bool Start(int port, const std::string& address = "127.0.0.1");
    void Stop();
    int Port() const { return m_nPort; }
    int ListeningSocket() const { return m_sockListen; }
    bool Stopping() const { return m_bStopping; }
    int ActiveConnections() const;

private:
    struct Connection {
        std::thread thread;
        bool done = false;
    };

    void AcceptLoop();
    void JoinFinished();

    std::function<void(int)> m_handler;
    int m_sockListen = -1;
    int m_nPort = 0;
    std::atomic<bool> m_bStopping{false};
    std::thread m_acceptThread;
    mutable std::mutex m_lock;  // the connections
    std::condition_variable m_slotFreed;
    std::list<Connection> m_connections;
    int m_nActive = 0;
};
