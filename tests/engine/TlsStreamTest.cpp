#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/TlsStream.h"
#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/TestAuthority.h"
#include "support/WaitFor.h"

namespace {
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Validity = TestAuthority::Validity;

constexpr auto kLimit = 10s;
const std::string kPage = "<html><body>over TLS</body></html>";
const std::string kEstablished = "HTTP/1.0 200 Connection established\r\n\r\n";

// A socket closed with its scope.
class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// A non-blocking socket connected to 127.0.0.1:port, as a slot's is; -1 on failure.
int ConnectNonBlocking(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
                   errno != EINPROGRESS)) {
        ADD_FAILURE() << "cannot connect to port " << port;
        return fd;
    }
    pollfd ready{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (poll(&ready, 1, 10000) != 1 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
        error != 0) {
        ADD_FAILURE() << "the connection to port " << port << " did not complete";
    }
    return fd;
}

// Waits in short slices for the readiness a step wants; false at the deadline.
bool Await(int fd, TlsStep step, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        pollfd ready{fd, static_cast<short>(step == TlsStep::WantRead ? POLLIN : POLLOUT), 0};
        const int count = poll(&ready, 1, 100);
        if (count > 0) {
            return true;
        }
        if (count < 0 && errno != EINTR) {
            return false;
        }
    }
    return false;
}

// Repeats call until it wants neither to read nor to write, as the engine will.
template <typename Call>
TlsStep Drive(int fd, Call call) {
    const auto deadline = Clock::now() + kLimit;
    for (;;) {
        const TlsStep step = call();
        if (step != TlsStep::WantRead && step != TlsStep::WantWrite) {
            return step;
        }
        if (!Await(fd, step, deadline)) {
            ADD_FAILURE() << "the stream made no progress";
            return TlsStep::Failed;
        }
    }
}

struct Outcome {
    bool whole = false;  // the answer was read to its end
    TlsError error = TlsError::None;
    int systemError = 0;
    bool resumed = false;
    std::string answer;
};

// Over a connected socket: the handshake, "GET path", the answer to its end.
Outcome Exchange(CTlsContext& context, int fd, const std::string& host, const std::string& key,
                 const std::string& path = "/") {
    Outcome outcome;
    CTlsStream stream(context, fd, host, key);
    const auto failed = [&] {
        outcome.error = stream.Error();
        outcome.systemError = stream.SystemError();
        EXPECT_FALSE(stream.ErrorText().empty());
        return outcome;
    };
    if (Drive(fd, [&] { return stream.Handshake(); }) != TlsStep::Done) {
        return failed();
    }
    outcome.resumed = stream.Resumed();
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n";
    for (size_t sent = 0; sent < request.size();) {
        size_t written = 0;
        if (Drive(fd, [&] {
                return stream.Write(request.data() + sent, request.size() - sent, written);
            }) != TlsStep::Done) {
            return failed();
        }
        sent += written;
    }
    for (;;) {
        char buffer[1000];
        size_t got = 0;
        if (Drive(fd, [&] { return stream.Read(buffer, sizeof buffer, got); }) != TlsStep::Done) {
            return failed();
        }
        if (got == 0) {
            outcome.whole = true;
            return outcome;
        }
        outcome.answer.append(buffer, got);
    }
}

Outcome Fetch(CTlsContext& context, const FixtureServer& server, const std::string& host,
              const std::string& key = "", const std::string& path = "/") {
    const Socket sock(ConnectNonBlocking(server.Port()));
    return Exchange(context, sock.Fd(), host, key, path);
}

void SendText(int fd, const std::string& text) {
    const auto deadline = Clock::now() + kLimit;
    for (size_t sent = 0; sent < text.size();) {
        const ssize_t done = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (done > 0) {
            sent += static_cast<size_t>(done);
        } else if (errno != EAGAIN || !Await(fd, TlsStep::WantWrite, deadline)) {
            ADD_FAILURE() << "cannot send " << text;
            return;
        }
    }
}

// Plain bytes until the blank line (a proxy's answer head), or the close.
std::string ReadHead(int fd) {
    const auto deadline = Clock::now() + kLimit;
    std::string head;
    while (head.find("\r\n\r\n") == std::string::npos) {
        char buffer[512];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            head.append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EAGAIN || !Await(fd, TlsStep::WantRead, deadline)) {
            break;
        }
    }
    return head;
}
}  // namespace

class TlsStreamTest : public ::testing::Test {
protected:
    TlsStreamTest() : m_authority(m_dir.Path()), m_certFile(m_authority.CaFile()) {}

    // Made after the trust store points at the test CA.
    static std::unique_ptr<CTlsContext> Context(bool bVerify) {
        std::unique_ptr<CTlsContext> context = CTlsContext::Create(bVerify);
        EXPECT_NE(context, nullptr);
        return context;
    }
    // A TLS fixture that answers kPage.
    static std::unique_ptr<FixtureServer> Server(const TestAuthority::Leaf& leaf,
                                                 bool bOnlyTls12 = false) {
        auto server = std::make_unique<FixtureServer>();
        server->EnableTls(leaf.certFile, leaf.keyFile, bOnlyTls12);
        server->SetDefault(FixtureServer::Ok(kPage));
        return server;
    }

    TempDir m_dir;
    TestAuthority m_authority;
    ScopedCertFile m_certFile;
};

TEST_F(TlsStreamTest, CertificatesAreCheckedUnlessVerificationIsOff) {
    TestAuthority stranger(m_dir.Path(), "stranger-ca");
    struct Case {
        const char* what;
        TestAuthority::Leaf leaf;
        std::string host;
        TlsError verified;  // the outcome with verification on
    };
    const Case cases[] = {
        {"trusted", m_authority.Signed("trusted", {"site.test"}), "site.test", TlsError::None},
        {"self-signed", m_authority.SelfSigned("self", {"site.test"}), "site.test",
         TlsError::Untrusted},
        {"unknown CA", stranger.Signed("stranger", {"site.test"}), "site.test",
         TlsError::Untrusted},
        {"other name", m_authority.Signed("elsewhere", {"elsewhere.test"}), "site.test",
         TlsError::WrongName},
        {"name for an address", m_authority.Signed("named", {"site.test"}), "127.0.0.1",
         TlsError::WrongName},
        {"expired", m_authority.Signed("expired", {"site.test"}, Validity::Expired), "site.test",
         TlsError::Expired},
        {"not yet valid", m_authority.Signed("early", {"site.test"}, Validity::NotYetValid),
         "site.test", TlsError::Expired},
        {"address", m_authority.Signed("ip", {"127.0.0.1"}), "127.0.0.1", TlsError::None},
        {"other address", m_authority.Signed("other-ip", {"127.0.0.2"}), "127.0.0.1",
         TlsError::WrongName},
        {"second name", m_authority.Signed("both", {"www.site.test", "site.test"}), "site.test",
         TlsError::None},
    };
    const auto checking = Context(true);
    const auto trusting = Context(false);
    ASSERT_TRUE(checking && trusting);
    EXPECT_TRUE(checking->Verifies());
    EXPECT_FALSE(trusting->Verifies());
    for (const Case& c : cases) {
        const auto server = Server(c.leaf);
        const Outcome checked = Fetch(*checking, *server, c.host);
        EXPECT_EQ(checked.error, c.verified) << c.what;
        EXPECT_EQ(checked.whole, c.verified == TlsError::None) << c.what;

        const Outcome trusted = Fetch(*trusting, *server, c.host);
        EXPECT_TRUE(trusted.whole) << c.what;
        EXPECT_EQ(trusted.answer, FixtureServer::Ok(kPage).bytes) << c.what;
        // SNI names a host, never an address.
        ASSERT_FALSE(server->Requests().empty()) << c.what;
        EXPECT_EQ(server->Requests().back().serverName, c.host == "127.0.0.1" ? "" : c.host)
            << c.what;
    }
}

TEST_F(TlsStreamTest, TheAnswerEndsWithTheConnectionWithOrWithoutACloseNotify) {
    struct Case {
        const char* what;
        bool skipCloseNotify;
        size_t chunkSize;
    };
    const Case cases[] = {
        {"close_notify", false, 0},
        {"bare close", true, 0},
        {"trickled, bare close", true, 7},
    };
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    const auto context = Context(true);
    ASSERT_TRUE(context);
    const std::string body(5000, 'b');
    for (const Case& c : cases) {
        FixtureServer::Response response = FixtureServer::Ok(body);
        response.skipCloseNotify = c.skipCloseNotify;
        response.chunkSize = c.chunkSize;
        response.chunkDelay = 0ms;
        server->SetDefault(response);
        const Outcome outcome = Fetch(*context, *server, "site.test");
        EXPECT_TRUE(outcome.whole) << c.what;
        EXPECT_EQ(outcome.answer, response.bytes) << c.what;
    }
}

TEST_F(TlsStreamTest, TheFixturesDelayAndSilenceHoldOverTls) {
    auto server = Server(m_authority.Signed("site", {"site.test"}));
    FixtureServer::Response late = FixtureServer::Ok(kPage);
    late.delayBeforeAnswer = 300ms;
    server->Route("/late", late);
    FixtureServer::Response silent;
    silent.silent = true;
    server->Route("/silent", silent);
    const auto context = Context(true);
    ASSERT_TRUE(context);

    const auto start = Clock::now();
    const Outcome delayed = Fetch(*context, *server, "site.test", "", "/late");
    EXPECT_TRUE(delayed.whole);
    EXPECT_GE(Clock::now() - start, 300ms);

    const Socket sock(ConnectNonBlocking(server->Port()));
    CTlsStream stream(*context, sock.Fd(), "site.test", "");
    const std::string request = "GET /silent HTTP/1.0\r\n\r\n";
    size_t written = 0;
    ASSERT_EQ(Drive(sock.Fd(), [&] { return stream.Handshake(); }), TlsStep::Done);
    ASSERT_EQ(
        Drive(sock.Fd(), [&] { return stream.Write(request.data(), request.size(), written); }),
        TlsStep::Done);
    ASSERT_EQ(written, request.size());
    ASSERT_TRUE(server->WaitForRequests(2));
    char buffer[100];
    size_t got = 0;
    TlsStep step = TlsStep::WantRead;
    // Only the session tickets come, never an answer.
    while (step == TlsStep::WantRead && Await(sock.Fd(), step, Clock::now() + 300ms)) {
        step = stream.Read(buffer, sizeof buffer, got);
    }
    EXPECT_EQ(step, TlsStep::WantRead);
    const auto stop = Clock::now();
    server.reset();
    EXPECT_LT(Clock::now() - stop, 2s);
    EXPECT_EQ(Drive(sock.Fd(), [&] { return stream.Read(buffer, sizeof buffer, got); }),
              TlsStep::Done);
    EXPECT_EQ(got, 0u) << "the fixture's close ends the data";
}

TEST_F(TlsStreamTest, ASecondConnectionWithTheSameKeyResumes) {
    for (const bool onlyTls12 : {false, true}) {
        const auto server = Server(m_authority.Signed("site", {"site.test"}), onlyTls12);
        const auto context = Context(true);
        ASSERT_TRUE(context);
        const std::string key = "site.test:" + std::to_string(server->Port());
        const Outcome first = Fetch(*context, *server, "site.test", key);
        const Outcome second = Fetch(*context, *server, "site.test", key);
        const Outcome other = Fetch(*context, *server, "site.test", "other.test:443");
        const Outcome unkept = Fetch(*context, *server, "site.test");
        EXPECT_TRUE(first.whole && second.whole && other.whole && unkept.whole);
        EXPECT_FALSE(first.resumed) << onlyTls12;
        EXPECT_TRUE(second.resumed) << onlyTls12;
        EXPECT_FALSE(other.resumed) << onlyTls12;
        EXPECT_FALSE(unkept.resumed) << onlyTls12;
        EXPECT_EQ(server->TlsHandshakes(), 4) << onlyTls12;
        EXPECT_EQ(server->TlsResumed(), 1) << onlyTls12;
    }
}

TEST_F(TlsStreamTest, ATls13TicketIsOfferedOnceATls12SessionAgainAndAgain) {
    struct Case {
        bool onlyTls12;
        std::vector<bool> resumed;  // of handshakes after the first connection
    };
    // The first connection brings two TLS 1.3 tickets.
    const Case cases[] = {{false, {true, true, false}}, {true, {true, true, true}}};
    for (const Case& c : cases) {
        const auto server = Server(m_authority.Signed("site", {"site.test"}), c.onlyTls12);
        const auto context = Context(true);
        ASSERT_TRUE(context);
        ASSERT_TRUE(Fetch(*context, *server, "site.test", "k").whole);
        // Handshakes only, so that no connection reads a new ticket meanwhile.
        std::vector<std::unique_ptr<Socket>> socks;
        std::vector<std::unique_ptr<CTlsStream>> streams;
        for (size_t i = 0; i < c.resumed.size(); ++i) {
            socks.push_back(std::make_unique<Socket>(ConnectNonBlocking(server->Port())));
            const int fd = socks.back()->Fd();
            streams.push_back(std::make_unique<CTlsStream>(*context, fd, "site.test", "k"));
            ASSERT_EQ(Drive(fd, [&] { return streams.back()->Handshake(); }), TlsStep::Done);
            EXPECT_EQ(streams.back()->Resumed(), c.resumed[i]) << c.onlyTls12 << " " << i;
        }
    }
}

TEST_F(TlsStreamTest, SessionsAreKeptForABoundedNumberOfSites) {
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    const auto context = Context(true);
    ASSERT_TRUE(context);
    const size_t keys = CTlsContext::kSessionKeys + 1;
    for (size_t i = 0; i < keys; ++i) {
        ASSERT_TRUE(Fetch(*context, *server, "site.test", "site" + std::to_string(i)).whole);
    }
    EXPECT_TRUE(Fetch(*context, *server, "site.test", "site" + std::to_string(keys - 1)).resumed);
    EXPECT_FALSE(Fetch(*context, *server, "site.test", "site0").resumed)
        << "the longest unused site is dropped";
}

TEST_F(TlsStreamTest, ASessionIsOfferedOnlyForTheNameItWasMadeFor) {
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    const auto context = Context(true);
    ASSERT_TRUE(context);
    ASSERT_TRUE(Fetch(*context, *server, "site.test", "k").whole);
    // A resumed session would skip the name check.
    EXPECT_EQ(Fetch(*context, *server, "other.test", "k").error, TlsError::WrongName);
    EXPECT_TRUE(Fetch(*context, *server, "site.test", "k").resumed);
    EXPECT_EQ(server->TlsResumed(), 1);
}

TEST_F(TlsStreamTest, ACutConnectionIsAnIoErrorAndLeavesNoSessionBehind) {
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    const auto context = Context(true);
    ASSERT_TRUE(context);
    ASSERT_TRUE(Fetch(*context, *server, "site.test", "k").whole);
    FixtureServer::Response reset;
    reset.reset = true;
    server->SetDefault(reset);
    const Outcome cut = Fetch(*context, *server, "site.test", "k");
    EXPECT_TRUE(cut.resumed);
    EXPECT_EQ(cut.error, TlsError::Io);
    EXPECT_EQ(cut.systemError, ECONNRESET);
    server->SetDefault(FixtureServer::Ok(kPage));
    const Outcome again = Fetch(*context, *server, "site.test", "k");
    EXPECT_TRUE(again.whole);
    EXPECT_FALSE(again.resumed);
}

TEST_F(TlsStreamTest, AShutDownSocketEndsAHandshakeTheServerNeverAnswers) {
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    server->SetSilentHandshake(true);
    const auto context = Context(true);
    ASSERT_TRUE(context);
    const Socket sock(ConnectNonBlocking(server->Port()));
    CTlsStream stream(*context, sock.Fd(), "site.test", "site.test:443");
    ASSERT_EQ(stream.Handshake(), TlsStep::WantRead);
    EXPECT_FALSE(Await(sock.Fd(), TlsStep::WantRead, Clock::now() + 300ms));
    EXPECT_EQ(stream.Handshake(), TlsStep::WantRead);

    shutdown(sock.Fd(), SHUT_RDWR);  // as an abort does
    const auto start = Clock::now();
    ASSERT_TRUE(Await(sock.Fd(), TlsStep::WantRead, start + 100ms));
    EXPECT_EQ(stream.Handshake(), TlsStep::Failed);
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(stream.Error(), TlsError::Handshake);
    EXPECT_EQ(server->TlsHandshakes(), 0);
    EXPECT_TRUE(WaitFor([&] { return server->OpenConnections() == 0; }));
}

TEST_F(TlsStreamTest, AHandshakeGoesThroughTheProxysTunnel) {
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    FixtureServer proxy;
    const auto context = Context(true);
    ASSERT_TRUE(context);
    const Socket sock(ConnectNonBlocking(proxy.Port()));
    SendText(sock.Fd(), "CONNECT " + server->HostPort() + " HTTP/1.0\r\n\r\n");
    ASSERT_EQ(ReadHead(sock.Fd()), kEstablished);
    const Outcome outcome = Exchange(*context, sock.Fd(), "site.test", "");
    EXPECT_TRUE(outcome.whole);
    EXPECT_EQ(outcome.answer, FixtureServer::Ok(kPage).bytes);
    ASSERT_EQ(proxy.RequestCount(), 1u);
    EXPECT_EQ(proxy.Requests()[0].target, server->HostPort());
    EXPECT_EQ(server->TlsHandshakes(), 1);
}

TEST_F(TlsStreamTest, TheProxyTunnelsOnlyWhereItIsAllowedTo) {
    FixtureServer guarded;  // the tunnel's far end
    FixtureServer proxy;
    proxy.Route("CONNECT 127.0.0.1:9", FixtureServer::Status(403, "Forbidden"));
    FixtureServer::Response account;
    account.requiredAuthorization = "cHJveHk6cHc=";
    proxy.Route("CONNECT " + guarded.HostPort(), account);
    struct Case {
        std::string target;
        std::string extra;  // header lines
        std::string head;   // how the answer begins
    };
    const Case cases[] = {
        {"127.0.0.1:9", "", "HTTP/1.0 403 "},
        {guarded.HostPort(), "", "HTTP/1.0 407 "},
        {guarded.HostPort(), "Proxy-Authorization: Basic wrong\r\n", "HTTP/1.0 407 "},
        {guarded.HostPort(), "Proxy-Authorization: Basic cHJveHk6cHc=\r\n", kEstablished},
        {"10.1.2.3:443", "", "HTTP/1.0 502 "},
        {"site.test:443", "", "HTTP/1.0 502 "},
        {"127.0.0.1:" + std::to_string(ClosedPort()), "", "HTTP/1.0 502 "},
    };
    for (const Case& c : cases) {
        const Socket sock(ConnectNonBlocking(proxy.Port()));
        SendText(sock.Fd(), "CONNECT " + c.target + " HTTP/1.1\r\nHost: " + c.target + "\r\n" +
                                c.extra + "\r\n");
        EXPECT_TRUE(ReadHead(sock.Fd()).starts_with(c.head)) << c.target << " " << c.extra;
        EXPECT_EQ(proxy.Requests().back().target, c.target);
    }
}

TEST_F(TlsStreamTest, WorkersShareOneContext) {
    const auto server = Server(m_authority.Signed("site", {"site.test"}));
    const auto context = Context(true);
    ASSERT_TRUE(context);
    constexpr int kWorkers = 4;
    constexpr int kFetches = 4;
    std::vector<int> whole(kWorkers, 0);
    std::vector<int> resumed(kWorkers, 0);
    std::vector<std::thread> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        workers.emplace_back([&, worker] {
            for (int i = 0; i < kFetches; ++i) {
                const Outcome outcome =
                    Fetch(*context, *server, "site.test", "site" + std::to_string(worker));
                whole[worker] += outcome.whole ? 1 : 0;
                resumed[worker] += outcome.resumed ? 1 : 0;
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (int worker = 0; worker < kWorkers; ++worker) {
        EXPECT_EQ(whole[worker], kFetches) << worker;
        EXPECT_EQ(resumed[worker], kFetches - 1) << worker;
    }
    EXPECT_EQ(server->TlsResumed(), kWorkers * (kFetches - 1));
}
