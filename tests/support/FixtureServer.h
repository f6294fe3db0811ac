#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A web server on loopback for tests, with programmable answers. It also
// serves as an HTTP proxy: a proxied request carries the whole URL in its
// request line, and routes may be keyed by that URL.
// It binds only to a 127.0.0.0/8 address and port 0, and never connects
// anywhere. One thread accepts; each connection gets a handler thread that
// reads one request, records it, answers and closes.
class FixtureServer {
public:
    struct Response {
        // The whole raw response, header included, sent as is.
        std::string bytes;
        // 0: send at once; else in pieces of this size with chunkDelay between
        // them (a trickling body).
        size_t chunkSize = 0;
        std::chrono::milliseconds chunkDelay{0};
        std::chrono::milliseconds delayBeforeAnswer{0};
        // Answer nothing, close with a TCP reset (SO_LINGER 0) after delayBeforeAnswer.
        bool reset = false;
        // Never answer; hold the connection open until the client or the
        // fixture closes it.
        bool silent = false;
        // When not empty: a request whose "Authorization: Basic X" line does
        // not carry exactly this X gets unauthorizedBytes instead.
        std::string requiredAuthorization;
        // Default: a plain "HTTP/1.0 401 Unauthorized" response.
        std::string unauthorizedBytes;
    };
    struct Request {
        std::string requestLine;  // "GET /a.html HTTP/1.0"
        std::string target;       // "/a.html", or "http://10.0.0.1/a.html" through a proxy
        std::string raw;  // the whole request as received, up to and including the blank line
        // When its connection was accepted: as close to the client's start as
        // the fixture sees it.
        std::chrono::steady_clock::time_point arrived{};
        // Value of a header line (name without case, value trimmed), "" if none.
        std::string Header(const std::string& name) const;
        bool HasHeader(const std::string& name) const;
    };

    // Binds bindAddress (a 127.x.y.z address) on port 0 and listens at once;
    // a failure is reported as a test failure and Port() is then 0.
    explicit FixtureServer(const std::string& bindAddress = "127.0.0.1");
    // Stops accepting, closes every connection, joins every thread; returns
    // promptly also with silent connections and clients that never read.
    ~FixtureServer();
    FixtureServer(const FixtureServer&) = delete;
    FixtureServer& operator=(const FixtureServer&) = delete;

    int Port() const;
    std::string Address() const;                     // "127.0.0.1"
    std::string HostPort() const;                    // "127.0.0.1:PORT"
    std::string Url(const std::string& path) const;  // "http://127.0.0.1:PORT" + path

    // The answer for a request target (exact match). Unrouted targets get the
    // default (a 404 response unless set). Callable while the server runs.
    void Route(const std::string& target, Response response);
    void SetDefault(Response response);
    // Routes for any target that begins with a prefix (checked after exact
    // routes, longest prefix first).
    void RoutePrefix(const std::string& prefix, Response response);

    std::vector<Request> Requests() const;  // in the order received (complete requests only)
    size_t RequestCount() const;
    bool WaitForRequests(size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    int OpenConnections() const;  // connections accepted and not yet closed

    // Convenience responses.
    // "HTTP/1.0 200 OK\r\n" + headers + "\r\n" + body
    static Response Ok(const std::string& body, const std::string& contentType = "text/html",
                       bool withLength = true);
    // A short HTML body; extraHeaders are whole lines ("Location: /b.html\r\n").
    static Response Status(int code, const std::string& reason,
                           const std::string& extraHeaders = "");

private:
    struct Connection {
        int sock = -1;  // guarded by m_cs; -1 once the handler closed it
        std::thread hThread;
        std::atomic<bool> bDone{false};
    };

    void AcceptLoop();
    void JoinFinished();
    void Serve(Connection* connection, int sock, std::chrono::steady_clock::time_point arrived);
    bool ReadRequest(int sock, std::string& raw);
    Response Choose(const Request& request) const;
    void Answer(int sock, const Response& response);
    bool SendBounded(int sock, const char* bytes, size_t length);
    void HoldOpen(int sock);
    bool Pause(std::chrono::milliseconds delay);
    void CloseConnection(Connection* connection, int sock, bool reset);

    std::string m_strAddress;
    int m_nPort = 0;
    int m_sockListen = -1;
    // Closing the write end wakes every poll that watches the read end.
    int m_sockWakeRead = -1;
    int m_sockWakeWrite = -1;

    mutable std::mutex m_cs;  // guards everything below except the atomics and m_hAccept
    mutable std::condition_variable m_cvChanged;  // requests recorded or stopping
    bool m_bStopping = false;
    std::map<std::string, Response> m_routes;
    std::map<std::string, Response> m_prefixRoutes;
    Response m_defaultResponse;
    std::vector<Request> m_requests;
    std::list<std::unique_ptr<Connection>>
        m_connections;  // added and removed by the accept thread only

    std::atomic<int> m_nOpen{0};
    std::thread m_hAccept;
};

// A loopback port with nothing listening on it: bound on port 0 and closed
// again, so a connection to it is refused. 0 on failure.
int ClosedPort();
