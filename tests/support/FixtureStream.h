#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>

struct ssl_ctx_st;
struct ssl_st;

// The server side of FixtureServer's TLS mode: one context for all its
// connections, with session tickets on so that clients can resume.
class FixtureTlsContext {
public:
    // A failure to load the files is a test failure; Valid() is then false.
    FixtureTlsContext(const std::string& certFile, const std::string& keyFile, bool bOnlyTls12);
    ~FixtureTlsContext();
    FixtureTlsContext(const FixtureTlsContext&) = delete;
    FixtureTlsContext& operator=(const FixtureTlsContext&) = delete;

    bool Valid() const { return m_pContext != nullptr; }
    ssl_ctx_st* Get() const { return m_pContext; }

private:
    ssl_ctx_st* m_pContext = nullptr;
};

// The bytes of one accepted, non-blocking connection: as they are, or
// through TLS once Accept succeeded. Never closes the socket.
class FixtureStream {
public:
    // What Read and Write return when the socket would block; ReadEvents()
    // and WriteEvents() then tell what to poll for before trying again.
    static constexpr ssize_t kWouldBlock = -2;

    explicit FixtureStream(int sock);
    ~FixtureStream();
    FixtureStream(const FixtureStream&) = delete;
    FixtureStream& operator=(const FixtureStream&) = delete;

    // The server's handshake; false when it fails, the deadline passes or
    // wakeFd becomes readable (the fixture stops).
    bool Accept(const FixtureTlsContext& context, int wakeFd,
                std::chrono::steady_clock::time_point deadline);
    // Like recv and send: > 0 bytes; 0 the end (Read only); kWouldBlock;
    // -1 a failure.
    ssize_t Read(char* buffer, size_t size);
    ssize_t Write(const char* bytes, size_t length);
    short ReadEvents() const { return m_nReadEvents; }
    short WriteEvents() const { return m_nWriteEvents; }
    // TLS: sends a close_notify if the socket takes it at once.
    void SendCloseNotify();

    int Sock() const { return m_sock; }
    bool Tls() const { return m_pSsl != nullptr; }
    bool Resumed() const;
    // The name the client sent by SNI; "" without one.
    std::string ServerName() const;

private:
    // The result for an SSL call that did not succeed; sets the events.
    ssize_t Trouble(int result, short& events);

    int m_sock;
    ssl_st* m_pSsl = nullptr;
    short m_nReadEvents;
    short m_nWriteEvents;
};
