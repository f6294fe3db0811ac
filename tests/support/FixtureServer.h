#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/FixtureStream.h"

// A web server on loopback for tests, with programmable answers. It also
// serves as an HTTP proxy: a proxied request carries the whole URL in its
// request line, and routes may be keyed by that URL. "CONNECT host:port"
// is recorded with the target "host:port" and answered by the route
// "CONNECT host:port" when there is one; otherwise a 127.x.y.z target gets
// "200 Connection established" and a tunnel to it, any other a 502.
// In TLS mode (EnableTls) every connection begins with the server's
// handshake, and the request and answer go through TLS.
// It binds only to a 127.0.0.0/8 address and port 0, and connects only to
// 127.0.0.0/8 addresses. One thread accepts; each connection gets a handler
// thread that reads one request, records it, answers and closes.
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
        // not carry exactly this X gets unauthorizedBytes instead. On a
        // CONNECT route it guards the tunnel: the line is
        // "Proxy-Authorization", and a request that carries X gets the
        // tunnel (bytes are not sent).
        std::string requiredAuthorization;
        // Default: a plain "HTTP/1.0 401 Unauthorized" response (a 407 for CONNECT).
        std::string unauthorizedBytes;
        // TLS: close without a close_notify, as many HTTP/1.0 servers do.
        bool skipCloseNotify = false;
    };
    struct Request {
        std::string requestLine;  // "GET /a.html HTTP/1.0"
        std::string target;       // "/a.html", or "http://10.0.0.1/a.html" through a proxy
        std::string raw;  // the whole request as received, up to and including the blank line
        std::string serverName;  // TLS: the name the client sent by SNI, "" without one
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
    // "http://127.0.0.1:PORT" + path; "https://..." in TLS mode.
    std::string Url(const std::string& path) const;

    // TLS mode for the connections accepted from now on, with this
    // certificate (and the chain after it) and key; TLS 1.2 and 1.3, or 1.2
    // only. Session tickets are on, so clients can resume (TLS 1.3: two
    // tickets after a full handshake, one after a resumed one). A file that
    // cannot be used is a test failure, and the mode stays as it was.
    void EnableTls(const std::string& certPemPath, const std::string& keyPemPath,
                   bool bOnlyTls12 = false);
    // TLS mode: accept connections but never answer the client's hello;
    // hold them as a silent response does.
    void SetSilentHandshake(bool bSilent);
    int TlsHandshakes() const;  // completed server handshakes
    int TlsResumed() const;     // of those, the ones that resumed a session

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
    // rest: what came after the blank line in the same reads.
    bool ReadRequest(FixtureStream& stream, std::string& raw, std::string& rest);
    Response Choose(const Request& request) const;
    // The routed answer of a CONNECT, a 502 for a target off loopback, or
    // none: open the tunnel.
    std::optional<Response> ChooseConnect(const Request& request) const;
    void Answer(FixtureStream& stream, const Response& response);
    bool SendBounded(FixtureStream& stream, const char* bytes, size_t length);
    void HoldOpen(FixtureStream& stream);
    // FixtureTunnel.cpp: connects to target (on loopback), answers 200 and
    // relays; early holds bytes the client sent after its request.
    void Tunnel(FixtureStream& client, const std::string& target, const std::string& early);
    int ConnectUpstream(const std::string& target);
    void Relay(FixtureStream& client, FixtureStream& upstream, std::string toUpstream);
    bool Pause(std::chrono::milliseconds delay);
    void CloseConnection(Connection* connection, FixtureStream& stream, bool reset, bool notify);

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
    std::shared_ptr<FixtureTlsContext> m_tls;  // TLS mode; connections keep theirs
    bool m_bSilentHandshake = false;
    std::list<std::unique_ptr<Connection>>
        m_connections;  // added and removed by the accept thread only

    std::atomic<int> m_nOpen{0};
    std::atomic<int> m_nTlsHandshakes{0};
    std::atomic<int> m_nTlsResumed{0};
    std::thread m_hAccept;
};

// A loopback port with nothing listening on it: bound on port 0 and closed
// again, so a connection to it is refused. 0 on failure.
int ClosedPort();
