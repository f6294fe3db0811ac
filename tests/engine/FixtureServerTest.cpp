#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/FixtureServer.h"
#include "support/WaitFor.h"

namespace {
using namespace std::chrono_literals;

struct Reply {
    std::string bytes;
    int reads = 0;  // recv calls that returned data
    int error = 0;  // errno of a failed recv, 0 after a clean end
};

int Connect(const FixtureServer& server) {
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server.Port()));
    inet_pton(AF_INET, server.Address().c_str(), &address.sin_addr);
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "connect: " << strerror(errno);
    }
    return sock;
}

void SendText(int sock, const std::string& text) {
    ASSERT_EQ(send(sock, text.data(), text.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(text.size()));
}

// Reads until the server closes, fails, or 10 s pass.
Reply ReadToEnd(int sock) {
    Reply reply;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd fd{sock, POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) {
            continue;
        }
        char buffer[65536];
        const ssize_t got = recv(sock, buffer, sizeof buffer, 0);
        if (got <= 0) {
            reply.error = got < 0 ? errno : 0;
            return reply;
        }
        reply.bytes.append(buffer, static_cast<size_t>(got));
        ++reply.reads;
    }
    ADD_FAILURE() << "the server did not close";
    return reply;
}

Reply Get(const FixtureServer& server, const std::string& request) {
    const int sock = Connect(server);
    SendText(sock, request);
    Reply reply = ReadToEnd(sock);
    close(sock);
    return reply;
}

std::string Plain(const std::string& target, const std::string& extra = "") {
    return "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}
}  // namespace

TEST(FixtureServer, ARoutedAnswerArrivesWholeAndTheRequestIsRecorded) {
    FixtureServer server;
    ASSERT_GT(server.Port(), 0);
    EXPECT_EQ(server.HostPort(), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(server.Url("/a.html"),
              "http://127.0.0.1:" + std::to_string(server.Port()) + "/a.html");
    server.Route("/a.html", FixtureServer::Ok("<p>hello</p>"));

    const Reply reply = Get(server, Plain("/a.html", "User-Agent: Test\r\n"));
    EXPECT_EQ(
        reply.bytes,
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 12\r\n\r\n<p>hello</p>");
    EXPECT_EQ(reply.error, 0);
    EXPECT_EQ(Get(server, Plain("/missing.html")).bytes.rfind("HTTP/1.0 404 Not Found\r\n", 0), 0u);

    const std::vector<FixtureServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "GET /a.html HTTP/1.0");
    EXPECT_EQ(requests[0].target, "/a.html");
    EXPECT_EQ(requests[0].raw, Plain("/a.html", "User-Agent: Test\r\n"));
    EXPECT_EQ(requests[0].Header("user-agent"), "Test");
    EXPECT_FALSE(requests[0].HasHeader("Authorization"));
    EXPECT_TRUE(WaitFor([&] { return server.OpenConnections() == 0; }));
}

TEST(FixtureServer, RequestsKeepTheTimesTheyArrivedInOrder) {
    FixtureServer server;
    const auto before = std::chrono::steady_clock::now();
    Get(server, Plain("/1"));
    const auto between = std::chrono::steady_clock::now();
    Get(server, Plain("/2"));
    const auto after = std::chrono::steady_clock::now();
    const std::vector<FixtureServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_GE(requests[0].arrived, before);
    EXPECT_LE(requests[0].arrived, between);
    EXPECT_GE(requests[1].arrived, between);
    EXPECT_LE(requests[1].arrived, after);
}

TEST(FixtureServer, ATrickledBodyArrivesWholeInPieces) {
    FixtureServer server;
    FixtureServer::Response response = FixtureServer::Ok(std::string(2000, 'x'));
    response.chunkSize = 200;
    response.chunkDelay = 10ms;
    server.Route("/slow.html", response);

    const Reply reply = Get(server, Plain("/slow.html"));
    EXPECT_EQ(reply.bytes, response.bytes);
    EXPECT_GT(reply.reads, 3);
}

TEST(FixtureServer, AnswersUnauthorizedUntilTheRightCredentialComes) {
    FixtureServer server;
    FixtureServer::Response response = FixtureServer::Ok("secret");
    response.requiredAuthorization = "dXNlcjpwdw==";  // "user:pw"
    server.Route("/private.html", response);

    EXPECT_EQ(Get(server, Plain("/private.html")).bytes.rfind("HTTP/1.0 401 Unauthorized\r\n", 0),
              0u);
    EXPECT_EQ(Get(server, Plain("/private.html", "Authorization: Basic d3Jvbmc6cHc=\r\n"))
                  .bytes.rfind("HTTP/1.0 401 ", 0),
              0u);
    EXPECT_EQ(Get(server, Plain("/private.html", "Authorization: Basic dXNlcjpwdw==\r\n")).bytes,
              response.bytes);
    EXPECT_EQ(server.RequestCount(), 3u);
}

TEST(FixtureServer, RoutesAProxiedRequestByItsWholeUrl) {
    FixtureServer server;
    server.Route("http://10.0.0.1/a.html", FixtureServer::Ok("exact"));
    server.RoutePrefix("http://10.0.0.", FixtureServer::Ok("short prefix"));
    server.RoutePrefix("http://10.0.0.2/", FixtureServer::Ok("long prefix"));

    EXPECT_EQ(Get(server, "GET http://10.0.0.1/a.html HTTP/1.0\r\nHost: 10.0.0.1\r\n\r\n").bytes,
              FixtureServer::Ok("exact").bytes);
    EXPECT_EQ(Get(server, "GET http://10.0.0.2/b.html HTTP/1.0\r\n\r\n").bytes,
              FixtureServer::Ok("long prefix").bytes);
    EXPECT_EQ(Get(server, "GET http://10.0.0.3/ HTTP/1.0\r\n\r\n").bytes,
              FixtureServer::Ok("short prefix").bytes);

    const std::vector<FixtureServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "http://10.0.0.1/a.html");
    EXPECT_EQ(requests[0].Header("Host"), "10.0.0.1");
}

TEST(FixtureServer, AResetGivesTheClientAConnectionError) {
    FixtureServer server;
    FixtureServer::Response response;
    response.reset = true;
    server.Route("/reset.html", response);

    const Reply reply = Get(server, Plain("/reset.html"));
    EXPECT_EQ(reply.bytes, "");
    EXPECT_EQ(reply.error, ECONNRESET);
}

TEST(FixtureServer, ManyConnectionsAreServedAtOnce) {
    FixtureServer server;
    FixtureServer::Response response = FixtureServer::Ok("late");
    response.delayBeforeAnswer = 300ms;
    server.SetDefault(response);

    std::vector<int> socks;
    for (int i = 0; i < 15; ++i) {
        socks.push_back(Connect(server));
        SendText(socks.back(), Plain("/" + std::to_string(i)));
    }
    EXPECT_TRUE(WaitFor([&] { return server.OpenConnections() == 15; }));
    for (int sock : socks) {
        EXPECT_EQ(ReadToEnd(sock).bytes, response.bytes);
        close(sock);
    }
    EXPECT_TRUE(server.WaitForRequests(15, 1s));
}

TEST(FixtureServer, TheDestructorReturnsPromptlyWithASilentConnectionAndAClientThatNeverReads) {
    auto server = std::make_unique<FixtureServer>();
    FixtureServer::Response silent;
    silent.silent = true;
    server->Route("/silent.html", silent);
    server->Route("/big.html", FixtureServer::Ok(std::string(32 * 1024 * 1024, 'x')));

    const int silentSock = Connect(*server);
    SendText(silentSock, Plain("/silent.html"));
    const int stuckSock = Connect(*server);
    SendText(stuckSock, Plain("/big.html"));
    ASSERT_TRUE(server->WaitForRequests(2));

    pollfd fd{silentSock, POLLIN, 0};
    EXPECT_EQ(poll(&fd, 1, 200), 0);  // no answer while the fixture lives
    const auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(ReadToEnd(silentSock).bytes, "");
    close(silentSock);
    close(stuckSock);
}

TEST(FixtureServer, TwoServersListenOnTwoLoopbackAddressesAtOnce) {
    FixtureServer first("127.0.0.1");
    FixtureServer second("127.0.0.2");
    ASSERT_GT(second.Port(), 0);
    EXPECT_EQ(second.Address(), "127.0.0.2");
    EXPECT_EQ(second.Url("/"), "http://127.0.0.2:" + std::to_string(second.Port()) + "/");
    first.Route("/", FixtureServer::Ok("first"));
    second.Route("/", FixtureServer::Ok("second"));

    EXPECT_EQ(Get(first, Plain("/")).bytes, FixtureServer::Ok("first").bytes);
    EXPECT_EQ(Get(second, Plain("/")).bytes, FixtureServer::Ok("second").bytes);
    EXPECT_EQ(first.RequestCount(), 1u);
    EXPECT_EQ(second.RequestCount(), 1u);
}
