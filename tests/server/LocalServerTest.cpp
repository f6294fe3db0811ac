#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/FileUtil.h"
#include "common/StringTable.h"
#include "server/BuiltInImages.h"
#include "server/Connection.h"
#include "server/LocalServer.h"
#include "server/NotFoundPage.h"
#include "support/LoopbackClient.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "support/WaitFor.h"

namespace {
using namespace std::chrono_literals;

// Sends request as it is and reads the answer.
std::string Exchange(int port, const std::string& request) {
    const int sock = ConnectLoopback(port);
    send(sock, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer = ReadAnswer(sock);
    close(sock);
    return answer;
}

// headers: whole lines; by default the Host a browser sends for the server.
std::string Get(int port, const std::string& path, std::string headers = "") {
    if (headers.empty()) {
        headers = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    }
    return Exchange(port, "GET " + path + " HTTP/1.0\r\n" + headers + "\r\n");
}

// The policy header line of the server's own pages: no script at all.
std::string PolicyLine(int port) {
    return "Content-Security-Policy: default-src 'none'; img-src 'self' http://127.0.0.1:" +
           std::to_string(port) + "; style-src 'unsafe-inline'\r\n";
}

// The type of every page the server makes itself: its texts are UTF-8.
const std::string kOwnType = "Content-Type: text/html; charset=utf-8\r\n";

// How every stored copy's answer begins: it runs in a sandbox of its own.
const std::string kStoredHead =
    "HTTP/1.0 200 OK\r\nConnection: close\r\n"
    "Content-Security-Policy: sandbox allow-scripts allow-forms allow-popups\r\n";

std::string Body(const std::string& answer) {
    const size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "" : answer.substr(end + 4);
}

class LocalServerTest : public ::testing::Test {
protected:
    LocalServerTest() {
        m_doc.m_strTaskDir = m_dir.Path() + "task/";
        std::filesystem::create_directories(m_doc.m_strTaskDir);
        m_doc.m_strResultPagePath = m_doc.m_strTaskDir + "ResultPage0.html";
        m_doc.m_nState = IDS_STATE_IDLE;
        EXPECT_TRUE(m_doc.StartLocalServer());
        m_nPort = m_doc.m_nServerPort;
    }

    void Store(const std::string& relative, const std::string& body, const std::string& header = "") {
        const std::string path = m_doc.m_strTaskDir + relative;
        MakeDirectoriesAlong(path);
        WriteFileBytes(path, body);
        if (!header.empty()) {
            WriteFileBytes(path + ".Quobrix", header);
        }
    }

    TempDir m_dir;
    CTestDoc m_doc;
    int m_nPort = 0;
};
}  // namespace

TEST_F(LocalServerTest, TheNotFoundPageIsSentWholeWithThePort) {
    const std::string answer = Get(m_nPort, "/nowhere.example/missing.html");
    EXPECT_EQ(answer, NotFoundResponse(m_nPort));
    EXPECT_EQ(answer.rfind("HTTP/1.0 404 Object Not Found\r\nConnection: close\r\n" + kOwnType +
                               PolicyLine(m_nPort) + "\r\n<html>\r\n",
                           0),
              0u);
    size_t lines = 0;
    for (size_t at = answer.find("\r\n"); at != std::string::npos; at = answer.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 43u) << "the forty-two lines and the policy";
    EXPECT_NE(answer.find("SRC=\"http://127.0.0.1:" + std::to_string(m_nPort) + "/Quobrix.gif\""),
              std::string::npos);
    EXPECT_NE(answer.find("src=\"http://127.0.0.1:" + std::to_string(m_nPort) + "/back.gif\""),
              std::string::npos);
    EXPECT_TRUE(answer.ends_with("</html>\r\n"));
}

TEST_F(LocalServerTest, ResultPagesAreClassifiedByTheirExactNames) {
    WriteFileBytes(m_doc.m_strTaskDir + "ResultPage0.html", "<tr>row</tr>");
    const std::string root = Get(m_nPort, "/");
    EXPECT_EQ(root.rfind("HTTP/1.0 200 OK\r\nConnection: close\r\n" + PolicyLine(m_nPort) +
                             kOwnType + "\r\n",
                         0),
              0u);
    EXPECT_NE(root.find("<title>Seek Result - Page0</title>"), std::string::npos);
    EXPECT_NE(root.find("<tr>row</tr>"), std::string::npos);
    EXPECT_EQ(Get(m_nPort, "/ResultPage0.html"), root);

    // Result page names whose files do not exist, and names that are not
    // result pages at all, all end at the 404 page.
    for (const char* path : {"/ResultPage.html", "/ResultPage007.html", "/resultpage0.html",
                             "/ResultPage0.htm", "/ResultPage0.html?x", "/ResultPage99999999999.html"}) {
        EXPECT_EQ(Get(m_nPort, path), NotFoundResponse(m_nPort)) << path;
    }
    WriteFileBytes(m_doc.m_strTaskDir + "ResultPage007.html", "<tr>seven</tr>");
    EXPECT_NE(Get(m_nPort, "/ResultPage007.html").find("Seek Result - Page7"), std::string::npos);
}

TEST_F(LocalServerTest, BuiltInImagesAreFoundByTheirWholeNameWithoutCase) {
    for (const char* name : {"remote.jpg", "local.jpg", "go.jpg", "options.jpg", "previous.jpg",
                             "next.jpg", "1pixel.jpg", "Quobrix.gif", "back.gif", "banner1.gif"}) {
        const CBuiltInImage* image = FindBuiltInImage(name);
        ASSERT_NE(image, nullptr) << name;
        const std::string type = image->m_kind == "JPEG" ? "image/jpeg" : "image/gif";
        EXPECT_EQ(Get(m_nPort, std::string("/") + name),
                  "HTTP/1.0 200 OK\r\nConnection: close\r\nContent-Type: " + type + "\r\n\r\n" +
                      std::string(image->m_bytes))
            << name;
    }
    EXPECT_EQ(Body(Get(m_nPort, "/REMOTE.JPG")), std::string(FindBuiltInImage("remote.jpg")->m_bytes));
    EXPECT_EQ(Get(m_nPort, "/docs/remote.jpg"), NotFoundResponse(m_nPort));
}

TEST_F(LocalServerTest, StoredCopiesGetTheirOwnContentTypeOrOneByExtension) {
    Store("host/page.html", "<a href=\"/x.html\">x</a>",
          "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=iso-8859-1\r\n\r\n");
    Store("host/upper.html", "<a href=\"/x.html\">x</a>",
          "HTTP/1.0 200 OK\r\nContent-type: TEXT/HTML\r\n\r\n");
    Store("host/data.bin", "binary\x01", "");
    Store("host/pic.gif", "GIF89a...", "");
    Store("host/plain", "no extension", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n");

    const std::string page = Get(m_nPort, "/host/page.html");
    EXPECT_EQ(page.rfind(kStoredHead + "Content-Type: text/html; charset=iso-8859-1\r\n\r\n", 0),
              0u);
    EXPECT_EQ(Body(page), "<a href=\"http://host/x.html\">x</a>") << "rewritten";
    const std::string upper = Get(m_nPort, "/host/upper.html");
    EXPECT_NE(upper.find("\r\nContent-type: TEXT/HTML\r\n\r\n"), std::string::npos);
    EXPECT_EQ(Body(upper), "<a href=\"/x.html\">x</a>") << "not rewritten";
    EXPECT_EQ(Get(m_nPort, "/host/data.bin"),
              kStoredHead + "Context-Type: application/x-javascript\r\n\r\nbinary\x01");
    EXPECT_NE(Get(m_nPort, "/host/pic.gif").find("Content-Type: image/gif\r\n\r\nGIF89a..."),
              std::string::npos);
    EXPECT_NE(Get(m_nPort, "/host/plain").find("Context-Type: application/x-javascript"),
              std::string::npos);
    // A stored page without a header keeps the type it always had.
    Store("host/bare.html", "bare", "");
    EXPECT_EQ(Get(m_nPort, "/host/bare.html"), kStoredHead + "Content-Type: text/html\r\n\r\nbare");
    // A folder address is its index.html; a directory itself is never sent.
    Store("host/docs/index.html", "index", "");
    EXPECT_EQ(Body(Get(m_nPort, "/host/docs/")), "index");
    EXPECT_EQ(Get(m_nPort, "/host/docs"), NotFoundResponse(m_nPort));
}

TEST_F(LocalServerTest, NothingOutsideTheTaskDirectoryIsServed) {
    WriteFileBytes(m_dir.Path() + "secret.txt", "secret");
    std::filesystem::create_directories(m_doc.m_strTaskDir + "host");
    std::filesystem::create_symlink(m_dir.Path() + "secret.txt", m_doc.m_strTaskDir + "host/link.txt");
    std::filesystem::create_directory_symlink(m_dir.Path(), m_doc.m_strTaskDir + "up");
    for (const char* path : {"/../secret.txt", "/host/../../secret.txt", "/host/../secret.txt",
                             "/./secret.txt", "/host/link.txt", "/up/secret.txt", "/%2e%2e/secret.txt",
                             "/../task/../secret.txt"}) {
        EXPECT_EQ(Get(m_nPort, path), NotFoundResponse(m_nPort)) << path;
    }
}

TEST_F(LocalServerTest, RequestsAreReadWholeOrDropped) {
    Store("host/a.txt", "split", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n");
    int sock = ConnectLoopback(m_nPort);
    send(sock, "GET /host/a.txt HTTP/1.0\r\n", 26, MSG_NOSIGNAL);
    std::this_thread::sleep_for(100ms);
    send(sock, "Accept: */*\r\n\r\n", 15, MSG_NOSIGNAL);
    EXPECT_EQ(Body(ReadAnswer(sock)), "split");
    close(sock);

    // A request that never ends its header: closed without an answer.
    const std::string endless = "GET /x HTTP/1.0\r\nX: " + std::string(70 * 1024, 'a');
    sock = ConnectLoopback(m_nPort);
    send(sock, endless.data(), endless.size(), MSG_NOSIGNAL);
    EXPECT_EQ(ReadAnswer(sock), "");
    close(sock);
}

TEST_F(LocalServerTest, SilentClientsDoNotDelayOtherRequests) {
    std::vector<int> silent;
    for (int i = 0; i < 40; ++i) {
        silent.push_back(ConnectLoopback(m_nPort));
    }
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Get(m_nPort, "/missing/x.html"), NotFoundResponse(m_nPort));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    for (int sock : silent) {
        close(sock);
    }
}

TEST_F(LocalServerTest, ThePageBeingWrittenIsStreamedUntilTheTaskStops) {
    const std::string file = m_doc.m_strTaskDir + "ResultPage0.html";
    WriteFileBytes(file, "<tr>first</tr>");
    m_doc.m_nState = IDS_STATE_SEEKING;
    const int sock = ConnectLoopback(m_nPort);
    send(sock, "GET / HTTP/1.0\r\n\r\n", 18, MSG_NOSIGNAL);
    std::string answer = ReadAnswer(sock, 5s, "</table>");
    EXPECT_NE(answer.find("<tr>first</tr></table>"), std::string::npos) << "the table stands closed";

    // A row appended while live reaches the client within a couple of seconds.
    {
        FILE* out = fopen(file.c_str(), "ab");
        fputs("<tr>second</tr>", out);
        fclose(out);
    }
    answer += ReadAnswer(sock, 5s, "<tr>second</tr>");
    EXPECT_NE(answer.find("<table width=\"100%\" cellspacing=\"2\" cellpadding=\"0\"><tr>second</tr>"),
              std::string::npos);

    // Once the task stops, the page ends with its foot and the connection closes.
    m_doc.m_nState = IDS_STATE_PAUSED;
    answer += ReadAnswer(sock, 5s);
    EXPECT_TRUE(answer.ends_with("</table></body></html>\r\n\r\n")) << answer.substr(answer.size() - 80);
    close(sock);
}

TEST_F(LocalServerTest, StoppingTheServerEndsLiveStreamsPromptly) {
    WriteFileBytes(m_doc.m_strTaskDir + "ResultPage0.html", "<tr>row</tr>");
    m_doc.m_nState = IDS_STATE_SEEKING;
    const int sock = ConnectLoopback(m_nPort);
    send(sock, "GET / HTTP/1.0\r\n\r\n", 18, MSG_NOSIGNAL);
    ReadAnswer(sock, 5s, "</table>");
    const auto started = std::chrono::steady_clock::now();
    m_doc.StopLocalServer();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    close(sock);
    EXPECT_EQ(ConnectLoopback(m_nPort), -1);
}

TEST_F(LocalServerTest, OnlyRequestsForTheServersOwnHostAreAnswered) {
    WriteFileBytes(m_doc.m_strTaskDir + "ResultPage0.html", "<tr>row</tr>");
    const std::string port = std::to_string(m_nPort);
    const std::pair<std::string, bool> hosts[] = {
        {"Host: 127.0.0.1:" + port, true},
        {"host:localhost:" + port, true},
        {"HOST: LocalHost:" + port + " ", true},
        {"Host: [::1]:" + port, true},
        {"Accept: */*", true},  // no Host at all: an HTTP/1.0 client
        {"Host: evil.example:" + port, false},
        {"Host: 127.0.0.1.evil.example:" + port, false},
        {"Host: 127.0.0.1", false},  // port 80, not this server
        {"Host: localhost:" + std::to_string(m_nPort + 1), false},
        {"Host: 127.0.0.1:" + port + "x", false},
        // The first Host line counts.
        {"Host: evil.example:" + port + "\r\nHost: 127.0.0.1:" + port, false},
    };
    for (const auto& [line, answered] : hosts) {
        const std::string answer = Get(m_nPort, "/", line + "\r\n");
        if (answered) {
            EXPECT_NE(answer.find("<tr>row</tr>"), std::string::npos) << line;
            continue;
        }
        EXPECT_EQ(answer.rfind("HTTP/1.0 403 Forbidden\r\nConnection: close\r\n" +
                                   PolicyLine(m_nPort) + kOwnType + "\r\n",
                               0),
                  0u)
            << line;
        EXPECT_EQ(answer.find("<tr>row</tr>"), std::string::npos) << line;
    }
}

TEST_F(LocalServerTest, AStoredContentTypeEndsAtItsFirstControlCharacter) {
    const std::pair<std::string, std::string> headers[] = {
        {"Content-Type: text/plain\nSet-Cookie: a=b\r\n\r\n", "Content-Type: text/plain"},
        {"Content-Type: text/plain\rSet-Cookie: a=b\r\n\r\n", "Content-Type: text/plain"},
        {"Content-Type: text/plain; charset=utf-8\r\nSet-Cookie: a=b\r\n\r\n",
         "Content-Type: text/plain; charset=utf-8"},
    };
    for (const auto& [header, line] : headers) {
        Store("host/a.txt", "text", "HTTP/1.0 200 OK\r\n" + header);
        const std::string answer = Get(m_nPort, "/host/a.txt");
        EXPECT_EQ(answer, kStoredHead + line + "\r\n\r\ntext") << header;
    }
}

TEST_F(LocalServerTest, StoredCopiesRunInASandboxAndHeaderFilesAreNeverServed) {
    const std::string header = "HTTP/1.0 200 OK\r\nSet-Cookie: session=secret\r\n\r\n";
    Store("host/a.html", "<p>page</p>", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n");
    Store("host/pic.gif", "GIF89a", "");
    Store("host/a.html-", "dash", header);  // what "/host/a.html?.Quobrix" maps to
    EXPECT_EQ(Get(m_nPort, "/host/a.html"),
              kStoredHead + "Content-Type: text/html\r\n\r\n<p>page</p>");
    EXPECT_EQ(Get(m_nPort, "/host/pic.gif"), kStoredHead + "Content-Type: image/gif\r\n\r\nGIF89a");
    for (const char* path : {"/host/a.html.Quobrix", "/host/a.html.QUOBRIX", "/host/a.html%2EQuobrix",
                             "/host/a.html-.Quobrix", "/host/a.html?.Quobrix", "/host/a.html%3F.quobrix"}) {
        EXPECT_EQ(Get(m_nPort, path), NotFoundResponse(m_nPort)) << path;
    }
}

TEST_F(LocalServerTest, PercentEncodedNamesReachTheirStoredCopies) {
    Store("127.0.0.1/sp ace.html", "space", "");
    Store("127.0.0.1/caf\xC3\xA9.html", "accent", "");
    Store("127.0.0.1/100%41.txt", "as written", "");  // a name that holds "%" from its URL
    Store("127.0.0.1/a/b.html", "nested", "");
    Store("127.0.0.1/back\\slash.html", "backslash", "");
    Store("127.0.0.1/dir x/index.html",
          "<a href=\"b c.html\">B</a> <a href=\"caf\xC3\xA9.html\">C</a> <a href=\"it's.html\">I</a>",
          "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n");
    Store("127.0.0.1/dir x/b c.html", "b", "");
    Store("127.0.0.1/dir x/caf\xC3\xA9.html", "c", "");
    Store("127.0.0.1/dir x/it's.html", "i", "");
    const std::pair<const char*, const char*> found[] = {
        {"/127.0.0.1/sp%20ace.html", "space"},
        {"/127.0.0.1/caf%C3%A9.html", "accent"},
        {"/127.0.0.1/caf%c3%a9.html", "accent"},
        {"/127.0.0.1/100%41.txt", "as written"},
        {"/127.0.0.1/100%2541.txt", "as written"},
        {"/127.0.0.1/dir%20x/it%27s.html", "i"},
        {"/127.0.0.1/back%5Cslash.html", "backslash"},
    };
    for (const auto& [path, body] : found) {
        EXPECT_EQ(Body(Get(m_nPort, path)), body) << path;
    }
    // Links leave the rewriting with their bytes, only what would end the
    // attribute encoded; the browser encodes the rest and the server decodes it.
    EXPECT_EQ(Body(Get(m_nPort, "/127.0.0.1/dir%20x/")),
              "<a href=\"/127.0.0.1/dir%20x/b%20c.html\"><font color=\"#00FF00\">B</font></a> "
              "<a href=\"/127.0.0.1/dir%20x/caf\xC3\xA9.html\"><font color=\"#00FF00\">C</font></a> "
              "<a href=\"/127.0.0.1/dir%20x/it%27s.html\"><font color=\"#00FF00\">I</font></a>");
    // A decoded "/" or zero byte never splits or cuts a name; ".." stays outside.
    for (const char* path : {"/127.0.0.1/a%2Fb.html", "/127.0.0.1/a%2fb.html", "/127.0.0.1/a%00.html",
                             "/127.0.0.1/%2E%2E/%2E%2E/secret.txt", "/127.0.0.1%2F..%2Fsecret.txt"}) {
        EXPECT_EQ(Get(m_nPort, path), NotFoundResponse(m_nPort)) << path;
    }
}

TEST_F(LocalServerTest, AHostWithoutItsSlashIsItsIndexPage) {
    Store("host/index.html", "<a href=\"a.html\">A</a>", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n");
    Store("host/a.html", "a", "");
    Store("plain/index.html", "index", "");
    EXPECT_EQ(Get(m_nPort, "/host"), Get(m_nPort, "/host/"));
    EXPECT_EQ(Body(Get(m_nPort, "/host")), "<a href=\"/host/a.html\"><font color=\"#00FF00\">A</font></a>");
    EXPECT_EQ(Body(Get(m_nPort, "/plain")), "index");
    EXPECT_EQ(Get(m_nPort, "/nohost"), NotFoundResponse(m_nPort));
}

TEST_F(LocalServerTest, SitesOnOtherPortsAreServedFromFoldersOfTheirOwn) {
    const std::string html = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
    Store("127.0.0.3:18084/index.html",
          "<a href=\"b.html\">B</a> <a href=\"c.html\">C</a> "
          "<a href=\"http://127.0.0.3:18085/\">D</a>",
          html);
    Store("127.0.0.3:18084/b.html", "b of 18084", "");
    Store("127.0.0.3:18085/index.html", "index of 18085", "");
    Store("127.0.0.3/index.html", "index of 80", "");
    const std::pair<const char*, const char*> found[] = {
        {"/127.0.0.3:18085/index.html", "index of 18085"},
        {"/127.0.0.3:18085", "index of 18085"},
        {"/127.0.0.3:18085/", "index of 18085"},
        {"/127.0.0.3/", "index of 80"},
        {"/127.0.0.3:80/", "index of 80"},
        {"/127.0.0.3:18084/b.html", "b of 18084"},
    };
    for (const auto& [path, body] : found) {
        EXPECT_EQ(Body(Get(m_nPort, path)), body) << path;
    }
    EXPECT_EQ(Get(m_nPort, "/127.0.0.3:18085/b.html"), NotFoundResponse(m_nPort));
    // Links to the site's stored pages and to the other site's lead to their
    // folders; a link to a page not retrieved keeps its port on the web.
    EXPECT_EQ(Body(Get(m_nPort, "/127.0.0.3:18084/")),
              "<a href=\"/127.0.0.3:18084/b.html\"><font color=\"#00FF00\">B</font></a> "
              "<a href=\"http://127.0.0.3:18084/c.html\">C</a> "
              "<a href=\"/127.0.0.3:18085/index.html\"><font color=\"#00FF00\">D</font></a>");
}

// Before sites on other ports had folders of their own, every port of a host
// was stored in the host's folder, and the rows linked there.
TEST_F(LocalServerTest, AnEarlierTaskIsServedFromTheHostsFolder) {
    Store("old.example/index.html", "<a href=\"b.html\">B</a> <a href=\"c.html\">C</a>",
          "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n");
    Store("old.example/b.html", "b", "");
    EXPECT_EQ(Body(Get(m_nPort, "/old.example/b.html")), "b");
    EXPECT_EQ(Body(Get(m_nPort, "/old.example:8080/b.html")), "b");
    EXPECT_EQ(Body(Get(m_nPort, "/old.example:8080/")),
              "<a href=\"/old.example:8080/b.html\"><font color=\"#00FF00\">B</font></a> "
              "<a href=\"http://old.example:8080/c.html\">C</a>");
}

TEST_F(LocalServerTest, SpecialFilesAreNeverOpened) {
    Store("host/page.txt", "page", "");
    ASSERT_EQ(mkfifo((m_doc.m_strTaskDir + "host/page.txt.Quobrix").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((m_doc.m_strTaskDir + "host/fifo.html").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((m_doc.m_strTaskDir + "ResultPage3.html").c_str(), 0600), 0);
    EXPECT_EQ(Get(m_nPort, "/host/page.txt"),
              kStoredHead + "Context-Type: application/x-javascript\r\n\r\npage");
    EXPECT_EQ(Get(m_nPort, "/host/fifo.html"), NotFoundResponse(m_nPort));
    EXPECT_EQ(Get(m_nPort, "/ResultPage3.html"), NotFoundResponse(m_nPort));
}

TEST_F(LocalServerTest, LineFeedsEndLinesAndMalformedRequestsGetABadRequestPage) {
    Store("host/a.txt", "text", "");
    const std::string port = std::to_string(m_nPort);
    for (const std::string& request :
         {std::string("GET /host/a.txt HTTP/1.0\n\n"), "GET /host/a.txt HTTP/1.0\nHost: 127.0.0.1:" + port + "\n\n",
          std::string("GET /host/a.txt HTTP/1.0\r\nAccept: */*\n\r\n")}) {
        EXPECT_EQ(Body(Exchange(m_nPort, request)), "text") << request;
    }
    EXPECT_EQ(Exchange(m_nPort, "GET /host/a.txt HTTP/1.0\nHost: evil.example:" + port + "\n\n")
                  .rfind("HTTP/1.0 403 Forbidden\r\n", 0),
              0u);
    const std::string badStart = "HTTP/1.0 400 Bad Request\r\nConnection: close\r\n" +
                                 PolicyLine(m_nPort) + kOwnType + "\r\n<html>";
    for (const char* request : {"GET /host/a.txt\r\n\r\n", "GET /x\n\n", "GARBAGE\r\n\r\n",
                                "GET  HTTP/1.0\r\n\r\n", "GET host/a.txt HTTP/1.0\r\n\r\n", "\r\n\r\n"}) {
        const std::string answer = Exchange(m_nPort, request);
        EXPECT_EQ(answer.rfind(badStart, 0), 0u) << request;
        EXPECT_TRUE(answer.ends_with("</html>\r\n")) << request;
    }
}

TEST_F(LocalServerTest, SlowClientsDoNotHoldUpOtherRequests) {
    // More connections than the server has threads, each with half a request.
    std::vector<int> slow;
    for (int i = 0; i < 100; ++i) {
        slow.push_back(ConnectLoopback(m_nPort));
        ASSERT_GE(slow.back(), 0);
        send(slow.back(), "GET / HTTP/1.0\r\n", 16, MSG_NOSIGNAL);
    }
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Get(m_nPort, "/missing/x.html"), NotFoundResponse(m_nPort));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    for (int sock : slow) {
        close(sock);
    }
}

TEST_F(LocalServerTest, StopEndsWithinASecondWhateverTheClientsDo) {
    Store("host/big.bin", std::string(32 * 1024 * 1024, 'b'), "");
    std::vector<int> slow;
    for (int i = 0; i < 100; ++i) {
        slow.push_back(ConnectLoopback(m_nPort));
        send(slow.back(), "G", 1, MSG_NOSIGNAL);
    }
    // A reader that takes the first bytes of a large answer and then stops reading.
    const int reader = ConnectLoopback(m_nPort);
    const std::string request = "GET /host/big.bin HTTP/1.0\r\n\r\n";
    send(reader, request.data(), request.size(), MSG_NOSIGNAL);
    EXPECT_NE(ReadAnswer(reader, 10s, "bbbb").find("bbbb"), std::string::npos);
    const auto started = std::chrono::steady_clock::now();
    m_doc.StopLocalServer();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    close(reader);
    for (int sock : slow) {
        close(sock);
    }
}

// The listener itself, with handlers of its own.
TEST(LocalServerListener, RequestsAndAnswersHaveTimeLimits) {
    std::atomic<int> answersCut{0};
    CLocalServer server([&](CConnection& connection, const std::string& request) {
        if (request.starts_with("GET /big")) {
            const std::string big(64 * 1024 * 1024, 'x');
            answersCut += connection.Send(big) ? 0 : 1;
        }
    });
    server.SetTimeLimits(300ms, 500ms);
    ASSERT_TRUE(server.Start(0));
    const int silent = ConnectLoopback(server.Port());
    send(silent, "GET /", 5, MSG_NOSIGNAL);
    const int reader = ConnectLoopback(server.Port());
    send(reader, "GET /big HTTP/1.0\r\n\r\n", 21, MSG_NOSIGNAL);
    // The silent client is closed unanswered; the answer nobody reads is cut.
    char byte = 0;
    pollfd entry{silent, POLLIN, 0};
    EXPECT_EQ(poll(&entry, 1, 5000), 1);
    EXPECT_EQ(recv(silent, &byte, 1, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return answersCut == 1; }));
    close(silent);
    close(reader);
}

TEST(LocalServerListener, AcceptGoesOnAfterTransientErrors) {
    for (const int error : {EMFILE, ENFILE, ENOBUFS, ENOMEM, EPROTO, ENETDOWN, EHOSTUNREACH, ENONET,
                            EOPNOTSUPP, EPERM, ECONNABORTED}) {
        std::atomic<int> failures{1};
        CLocalServer server([](CConnection& connection, const std::string&) { connection.Send("ok"); });
        server.SetAcceptFunction([&](int sockListen) {
            if (failures > 0) {
                --failures;
                errno = error;
                return -1;
            }
            return accept4(sockListen, nullptr, nullptr, SOCK_CLOEXEC);
        });
        ASSERT_TRUE(server.Start(0));
        EXPECT_EQ(Exchange(server.Port(), "GET / HTTP/1.0\r\n\r\n"), "ok") << strerror(error);
        EXPECT_EQ(failures, 0);
    }
}

TEST_F(LocalServerTest, PagesNotRetrievedAreListedNewestLastWithTheirUrlsInPlace) {
    WriteFileBytes(m_doc.m_strTaskDir + "PagesNotRetrieved.txt",
                   "2026-05-01T12:00:00Z\trefused\thttp://a.example/\n"
                   "2026-05-01T12:00:05Z\thttp-404\thttp://b.example/\"><b>x</b>\n"
                   "2026-05-01T12:00:06Z\treset\thttp://torn.example/");
    const std::string answer = Get(m_nPort, "/PagesNotRetrieved.html");
    EXPECT_EQ(answer.rfind("HTTP/1.0 200 OK\r\nConnection: close\r\n" + PolicyLine(m_nPort) +
                               "Content-Type: text/html; charset=utf-8\r\n\r\n",
                           0),
              0u)
        << answer;
    const std::string body = Body(answer);
    EXPECT_NE(body.find("<title>Pages Not Retrieved</title>"), std::string::npos);
    const size_t first = body.find(">http://a.example/</a>");
    const size_t second = body.find(">http://b.example/\">&lt;b>x&lt;/b></a>");
    EXPECT_NE(first, std::string::npos) << body;
    EXPECT_NE(second, std::string::npos) << body;
    EXPECT_LT(first, second);
    EXPECT_NE(body.find("href=\"http://b.example/%22><b>x</b>\""), std::string::npos) << body;
    EXPECT_NE(body.find("HTTP 404"), std::string::npos);
    EXPECT_EQ(body.find("torn.example"), std::string::npos) << "a torn line is not listed";
    EXPECT_TRUE(body.ends_with("</table></body></html>\r\n\r\n"));
    // Another spelling is not this page.
    EXPECT_EQ(Get(m_nPort, "/pagesnotretrieved.html"), NotFoundResponse(m_nPort));
}
