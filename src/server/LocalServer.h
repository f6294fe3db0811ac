#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <string>
#include <thread>

#include "common/Mutex.h"

class CConnection;
class CRequestReader;

// The loopback listener of the local server. Its accept thread also reads
// the requests, without blocking, until each has arrived whole (CRequestReader),
// so that slow or silent clients hold no thread; then one thread per request
// answers it, at most kMaxConnections at once (further whole requests wait
// for a thread). Stop ends the accept thread, closes the connections still
// sending their request and waits for every connection thread, whose sends
// see the stop within a fraction of a second.
class CLocalServer {
public:
    static constexpr int kMaxConnections = 64;
    // A client sends its request within this time or is closed unanswered.
    static constexpr std::chrono::milliseconds kRequestTimeLimit{5000};
    // An answer goes out within this time or its connection is closed; a live
    // result page renews it while the task runs.
    static constexpr std::chrono::milliseconds kAnswerTimeLimit{60000};

    // Called on a connection thread with the request's header; the connection
    // closes when it returns.
    using Handler = std::function<void(CConnection& connection, const std::string& request)>;
    // Stands for accept4 on the listening socket: tests let it fail.
    using AcceptFunction = std::function<int(int sockListen)>;

    explicit CLocalServer(Handler handler);
    ~CLocalServer();
    CLocalServer(const CLocalServer&) = delete;
    CLocalServer& operator=(const CLocalServer&) = delete;

    // Before Start only.
    void SetTimeLimits(std::chrono::milliseconds request, std::chrono::milliseconds answer);
    void SetAcceptFunction(AcceptFunction fnAccept);

    // Listens on a loopback address (127.0.0.1 unless named) at port (0: the
    // system chooses). False on failure, errno telling why (EADDRINUSE).
    [[nodiscard]] bool Start(int port, const std::string& address = "127.0.0.1");
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
    // Takes the connections waiting on the listening socket, while there is
    // room for them; false when the listening socket is gone.
    bool AcceptWaiting(CRequestReader& reader);
    // Starts threads for whole requests while fewer than kMaxConnections run.
    void Dispatch(CRequestReader& reader);
    void JoinFinished();

    Handler m_handler;
    AcceptFunction m_fnAccept;
    std::chrono::milliseconds m_requestTimeLimit = kRequestTimeLimit;
    std::chrono::milliseconds m_answerTimeLimit = kAnswerTimeLimit;
    int m_sockListen = -1;
    int m_nPort = 0;
    std::atomic<bool> m_bStopping{false};
    std::thread m_acceptThread;
    std::chrono::steady_clock::time_point m_acceptPausedUntil;  // accept thread only
    mutable CMutex m_lock;
    std::list<Connection> m_connections GUARDED_BY(m_lock);
    int m_nActive GUARDED_BY(m_lock) = 0;
};
