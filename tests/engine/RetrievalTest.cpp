#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "EngineFixture.h"
#include "common/Base64.h"
#include "common/Messages.h"

namespace {
using namespace std::chrono_literals;

std::string Header(const std::string& lines) {
    return "HTTP/1.0 200 OK\r\n" + lines + "\r\n";
}

FixtureServer::Response Raw(const std::string& bytes) {
    FixtureServer::Response response;
    response.bytes = bytes;
    return response;
}

// Answers the credential prompt like a user who types an account, and
// counts the prompts.
class PromptAnswering : public RecordingTarget {
public:
    explicit PromptAnswering(CTestDoc*& doc) : m_ppDoc(doc) {}
    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override {
        RecordingTarget::Send(message, wParam, lParam);
        if (message != WM_AUTHORIZE) {
            return 0;
        }
        ++m_nPrompts;
        std::this_thread::sleep_for(200ms);  // the user takes a moment; other slots queue up
        m_ppDoc->AnswerAuthorization(std::get<std::string>(lParam), true, "ann", "secret", false);
        return 1;
    }
    std::atomic<int> m_nPrompts{0};

private:
    CTestDoc*& m_ppDoc;
};
}  // namespace

// One fetch of one page by slot 0: the retrieval step alone.
class RetrievalTest : public EngineTest {
protected:
    int Fetch(const FixtureServer& server, const std::string& path) {
        SiteTask(server, path);
        doc().m_strUrl[0] = server.Url(path);
        return doc().RetrievePage(0);
    }
    std::string Stored(const FixtureServer& server, const std::string& path) {
        return ReadFileBytes(m_dir.Path() + server.HostPort() + path);
    }
    bool StoredExists(const FixtureServer& server, const std::string& path) {
        return std::filesystem::exists(m_dir.Path() + server.HostPort() + path);
    }
};

TEST_F(RetrievalTest, APageIsStoredWithItsHeaderAndKeptAsText) {
    FixtureServer server;
    const std::string header = Header("Content-Type: text/html\r\nContent-Length: 11\r\n");
    server.Route("/docs/a.html", Raw(header + "<b>hi</b>!!"));
    EXPECT_EQ(Fetch(server, "/docs/a.html"), 11);
    EXPECT_EQ(doc().m_strPage[0], "<b>hi</b>!!");
    EXPECT_EQ(doc().m_strHeader[0], "http/1.0 200 ok\r\ncontent-type: text/html\r\ncontent-length: 11\r\n\r\n");
    EXPECT_FALSE(doc().m_bNotHtml[0]);
    EXPECT_EQ(doc().m_strLocalPath[0], m_dir.Path() + server.HostPort() + "/docs/a.html");
    EXPECT_EQ(Stored(server, "/docs/a.html"), "<b>hi</b>!!");
    EXPECT_EQ(Stored(server, "/docs/a.html.Quobrix"), header);
    EXPECT_EQ(doc().m_nPageLength[0], 11);
    EXPECT_EQ(doc().m_nReceived[0], static_cast<int>(header.size() + 11));
}

TEST_F(RetrievalTest, TypesDecideWhatIsAnalysedAndTheFiltersWhatIsKept) {
    FixtureServer server;
    server.Route("/style.css", Raw(Header("Content-Type: text/css\r\n") + "p{}"));
    server.Route("/notes.txt", Raw(Header("Content-type:text/plain\r\n") + "plain"));
    server.Route("/none", Raw(Header("") + "no type"));
    server.Route("/big.png", Raw(Header("Content-Type: image/png\r\nContent-Length: 2049\r\n") + "png"));
    server.Route("/ok.png", Raw(Header("Content-Type: image/png\r\nContent-Length: 2048\r\n") + "png"));
    server.Route("/doc.pdf", Raw(Header("Content-Type: application/pdf\r\n") + "pdf"));

    EXPECT_EQ(Fetch(server, "/style.css"), 3);
    EXPECT_TRUE(doc().m_bNotHtml[0]);
    EXPECT_EQ(Stored(server, "/style.css"), "p{}");

    EXPECT_EQ(Fetch(server, "/notes.txt"), 5);
    EXPECT_FALSE(doc().m_bNotHtml[0]);

    EXPECT_EQ(Fetch(server, "/none"), 7);  // no type: stored and analysed
    EXPECT_FALSE(doc().m_bNotHtml[0]);
    EXPECT_EQ(Stored(server, "/none"), "no type");

    doc().m_nImageMaxK = 2;
    EXPECT_EQ(Fetch(server, "/big.png"), -1);
    EXPECT_FALSE(StoredExists(server, "/big.png"));
    EXPECT_EQ(Fetch(server, "/ok.png"), 3);
    EXPECT_TRUE(doc().m_bNotHtml[0]);

    doc().m_bFilterOthers = false;
    EXPECT_EQ(Fetch(server, "/doc.pdf"), -1);
    EXPECT_FALSE(StoredExists(server, "/doc.pdf"));
}

TEST_F(RetrievalTest, LongHeadersAndBareLineFeedsAreExamined) {
    FixtureServer server;
    const std::string cookies = "Set-Cookie: " + std::string(700, 'c') + "\r\n";
    server.Route("/long.html", Raw(Header("Content-Type: text/html\r\n" + cookies) + "body"));
    server.Route("/lf.html", Raw("HTTP/1.0 200 OK\nContent-Type: text/html\n\nbody-lf"));
    FixtureServer::Response huge = Raw(Header(std::string(70 * 1024, 'x') + "\r\n") + "b");
    server.Route("/huge.html", huge);

    EXPECT_EQ(Fetch(server, "/long.html"), 4);
    EXPECT_EQ(doc().m_strPage[0], "body");
    EXPECT_EQ(Stored(server, "/long.html"), "body");
    EXPECT_EQ(m_bar.Texts(WM_THREAD_STATUS).back(),
              "Reading web page: " + server.Url("/long.html") + "    4bytes");

    EXPECT_EQ(Fetch(server, "/lf.html"), 7);
    EXPECT_EQ(doc().m_strPage[0], "body-lf");

    EXPECT_EQ(Fetch(server, "/huge.html"), -1);
}

TEST_F(RetrievalTest, FailuresOfStatusAndConnection) {
    FixtureServer server;
    server.Route("/moved", FixtureServer::Status(302, "Found", "Location: /elsewhere\r\n"));
    FixtureServer::Response reset;
    reset.reset = true;
    server.Route("/reset", reset);
    FixtureServer::Response silent;
    silent.silent = true;
    server.Route("/silent", silent);
    server.Route("/empty", Raw(Header("Content-Type: text/html\r\n")));

    EXPECT_EQ(Fetch(server, "/moved"), -1);
    EXPECT_EQ(server.RequestCount(), 1u) << "a redirect is not followed";
    EXPECT_EQ(Fetch(server, "/reset"), -1);
    doc().m_nTimeout = 300;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(server, "/silent"), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_EQ(Fetch(server, "/empty"), -1);
    EXPECT_TRUE(StoredExists(server, "/empty")) << "an empty body is stored, but fails";

    const int refusedPort = [] {
        FixtureServer closed;
        return closed.Port();
    }();
    doc().m_strStartAddress = "127.0.0.1:" + std::to_string(refusedPort) + "/";
    doc().m_strCurrentSite = "127.0.0.1:" + std::to_string(refusedPort);
    doc().m_bResolved = false;
    doc().m_strUrl[0] = "http://" + doc().m_strCurrentSite + "/";
    EXPECT_EQ(doc().RetrievePage(0), -1);
}

TEST_F(RetrievalTest, BodiesArriveWholeAndZeroBytesEndOnlyTheText) {
    FixtureServer server;
    std::string body = "start";
    body += std::string(1, '\0');
    body += std::string(3000, 'z');
    FixtureServer::Response trickle = Raw(Header("Content-Type: text/html\r\n") + body);
    trickle.chunkSize = 700;
    trickle.chunkDelay = 20ms;
    server.Route("/zero.html", trickle);
    // Where the zero falls in a block depends on how the bytes arrive; the
    // text loses the rest of that block only.
    const int length = Fetch(server, "/zero.html");
    EXPECT_GT(length, 5);
    EXPECT_EQ(length, doc().m_nPageLength[0]);
    EXPECT_EQ(Stored(server, "/zero.html"), body) << "the stored file keeps every byte";
    EXPECT_EQ(doc().m_strPage[0].find('\0'), std::string::npos);
    EXPECT_EQ(doc().m_strPage[0].substr(0, 5), "start");
    EXPECT_LT(doc().m_strPage[0].size(), body.size());
}

TEST_F(RetrievalTest, ABodyWithoutLengthIsRefusedWhenItOutgrowsItsLimit) {
    FixtureServer server;
    server.Route("/grow.html", Raw(Header("Content-Type: text/html\r\n") + std::string(3000, 'g')));
    doc().m_nTextMaxK = 2;
    EXPECT_EQ(Fetch(server, "/grow.html"), -1);
    EXPECT_FALSE(StoredExists(server, "/grow.html"));
    EXPECT_FALSE(StoredExists(server, "/grow.html.Quobrix"));
    doc().m_nTextMaxK = 3;
    EXPECT_EQ(Fetch(server, "/grow.html"), 3000);
}

TEST_F(RetrievalTest, AHostWithAPortIsReachedThereAndStoredInAFolderOfItsSite) {
    FixtureServer server;
    server.Route("/p.html", FixtureServer::Ok("port"));
    EXPECT_EQ(Fetch(server, "/p.html"), 4);
    const FixtureServer::Request request = server.Requests().back();
    EXPECT_EQ(request.requestLine, "GET /p.html HTTP/1.0");
    EXPECT_EQ(request.Header("Host"), server.HostPort());
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)");
    EXPECT_EQ(doc().m_strLocalPath[0],
              m_dir.Path() + "127.0.0.1:" + std::to_string(server.Port()) + "/p.html");
}

TEST_F(RetrievalTest, TheSiteCredentialGoesToItsOwnSiteOnly) {
    FixtureServer own;
    FixtureServer other("127.0.0.2");
    own.SetDefault(FixtureServer::Ok("own"));
    other.SetDefault(FixtureServer::Ok("other"));
    SiteTask(own);
    doc().SetSiteAuthorization(CBase64::Encode("ann:pw"), doc().StartHost());

    EXPECT_GT(Fetch(own, "/a.html"), 0);
    EXPECT_EQ(own.Requests().back().Header("Authorization"), "Basic " + CBase64::Encode("ann:pw"));

    doc().m_strCurrentSite = other.HostPort();
    doc().m_bResolved = false;
    doc().m_strUrl[0] = other.Url("/b.html");
    EXPECT_GT(doc().RetrievePage(0), 0);
    EXPECT_FALSE(other.Requests().back().HasHeader("Authorization"));
}

TEST_F(EngineTest, TwoSlotsRefusedTogetherShareOnePrompt) {
    FixtureServer server;
    FixtureServer::Response guarded = FixtureServer::Ok("inside");
    guarded.requiredAuthorization = CBase64::Encode("ann:secret");
    guarded.delayBeforeAnswer = 50ms;
    server.SetDefault(guarded);
    CTestDoc* pDoc = m_pDoc.get();
    PromptAnswering frame(pDoc);
    doc().m_hWndMainFrame = &frame;
    SiteTask(server);
    doc().m_bPromptAuth = true;
    PausedWith({server.Url("/1"), server.Url("/2")}, 2, {{0, server.Url("/1")}, {1, server.Url("/2")}});

    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(frame.m_nPrompts, 1);
    EXPECT_EQ(doc().LinksRequested(), 2);
    int authorized = 0;
    for (const FixtureServer::Request& request : server.Requests()) {
        authorized += request.Header("Authorization") == "Basic " + CBase64::Encode("ann:secret");
    }
    EXPECT_EQ(authorized, 2);
    EXPECT_EQ(doc().GetSiteAuthorization(), CBase64::Encode("ann:secret"));
    doc().m_hWndMainFrame = nullptr;
}

TEST_F(EngineTest, WithoutPromptingARefusedPageFails) {
    FixtureServer server;
    FixtureServer::Response guarded = FixtureServer::Ok("inside");
    guarded.requiredAuthorization = CBase64::Encode("ann:secret");
    server.SetDefault(guarded);
    SiteTask(server);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_TRUE(m_frame.Texts(WM_AUTHORIZE).empty());
}

namespace {
// A task record whose disk is full: no stored copy can be created.
class FullDiskDoc : public CTestDoc {
protected:
    int CreateStoredFile(const std::string&) override {
        errno = ENOSPC;
        return -1;
    }
};
}  // namespace

TEST(DiskFull, PausesTheTaskOnceAndKeepsTheUrlsForTheResume) {
    TempDir dir;
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("page"));
    RecordingTarget frame;
    FullDiskDoc doc;
    doc.m_hWndMainFrame = &frame;
    doc.m_strTaskDir = dir.Path();
    doc.m_strStartAddress = server.HostPort() + "/";
    doc.m_strCurrentSite = server.HostPort();
    doc.m_nState = IDS_STATE_PAUSED;
    for (int slot = 0; slot < 3; ++slot) {
        doc.m_strUrl[slot] = server.Url("/" + std::to_string(slot));
    }
    doc.OnTaskRun();
    ASSERT_TRUE(WaitFor([&] { return !doc.IsStopping() && !doc.HasActiveWorkers(); }));
    doc.JoinWorkers();

    EXPECT_EQ(doc.m_nState, unsigned{IDS_STATE_PAUSED});
    const std::vector<std::string> errors = frame.Texts(WM_FILE_ERROR);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(dir.Path() + server.HostPort() + "/", 0), 0u);
    EXPECT_EQ(frame.Messages().back().message, unsigned{WM_FILE_ERROR});
    EXPECT_EQ(frame.Messages().back().wParam, ENOSPC);
    EXPECT_EQ(doc.LinksRequested(), 0);
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(doc.m_strUrl[slot], server.Url("/" + std::to_string(slot)));
    }
}

TEST_F(RetrievalTest, AnAnnouncedLengthEndsTheBodyAndTheLimitHoldsForTheBytesRead) {
    struct Case {
        const char* path;
        std::string lengthLine;
        int textMaxK;
        int result;
        size_t stored;  // bytes of the stored copy; npos: no copy kept
    };
    const std::string flood(60000, 'f');
    const Case cases[] = {
        {"/lying.html", "Content-Length: 10\r\n", 1, 10, 10},
        {"/zero.html", "Content-Length: 0\r\n", 1, -1, 0},
        {"/unlimited.html", "Content-Length: 10\r\n", 0, 10, 10},
        {"/unannounced.html", "", 1, -1, std::string::npos},
    };
    FixtureServer server;
    for (const Case& c : cases) {
        server.Route(c.path, Raw(Header("Content-Type: text/html\r\n" + c.lengthLine) + flood));
    }
    for (const Case& c : cases) {
        doc().m_nTextMaxK = c.textMaxK;
        doc().m_nReceived[0] = 0;
        EXPECT_EQ(Fetch(server, c.path), c.result) << c.path;
        if (c.result > 0) {
            EXPECT_EQ(doc().m_strPage[0].size(), 10u) << c.path;
        }
        EXPECT_LT(doc().m_nReceived[0], 4096) << c.path << ": the rest is not read";
        if (c.stored == std::string::npos) {
            EXPECT_FALSE(StoredExists(server, c.path)) << c.path;
        } else {
            EXPECT_EQ(Stored(server, c.path).size(), c.stored) << c.path;
        }
    }
}

TEST_F(RetrievalTest, ValuesWithLineBreaksNeverAddRequestHeaderLines) {
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("page"));
    const std::string injected = "\r\nX-Inj: 1";
    struct Case {
        const char* what;
        std::string agent;
        std::string credential;
        std::string site;  // "" : the server's own "127.0.0.1:PORT"
        bool fetched;
        const char* missing;  // the header line left out
    };
    const Case cases[] = {
        {"agent", "Quobrix" + injected, "", "", true, "User-Agent"},
        {"agent with a zero byte", std::string("Quo\0brix", 8), "", "", true, "User-Agent"},
        {"credential", "Quobrix", "dXNlcjpwdw==" + injected, "", true, "Authorization"},
        {"credential with a bare line feed", "Quobrix", "dXNlcjpwdw==\nX-Inj: 1", "", true,
         "Authorization"},
        {"host", "Quobrix", "", "127.0.0.1\r\nX-Inj:" + std::to_string(server.Port()), false, ""},
        {"host with a space", "Quobrix", "", "127.0.0.1 x:" + std::to_string(server.Port()), false,
         ""},
    };
    for (const Case& c : cases) {
        CAppOptions options;
        options.m_strAgent = c.agent;
        doc().SetAppOptions(options);
        const size_t before = server.RequestCount();
        SiteTask(server);
        doc().SetSiteAuthorization(c.credential, doc().StartHost());
        if (!c.site.empty()) {
            doc().m_strCurrentSite = c.site;
        }
        doc().m_bResolved = false;
        doc().m_strUrl[0] = server.Url("/a.html");
        EXPECT_EQ(doc().RetrievePage(0) > 0, c.fetched) << c.what;
        if (!c.fetched) {
            EXPECT_EQ(server.RequestCount(), before) << c.what << ": refused before sending";
            continue;
        }
        ASSERT_EQ(server.RequestCount(), before + 1) << c.what;
        const FixtureServer::Request request = server.Requests().back();
        EXPECT_FALSE(request.HasHeader("X-Inj")) << c.what;
        EXPECT_FALSE(request.HasHeader(c.missing)) << c.what;
        EXPECT_EQ(request.Header("Host"), server.HostPort()) << c.what;
        EXPECT_EQ(request.Header("Accept"), "*/*") << c.what;
    }
}

namespace {
// A task record whose disk fills up after a number of bytes written.
class FillingDiskDoc : public CTestDoc {
public:
    FillingDiskDoc(size_t room, int error) : m_nRoom(room), m_nError(error) {}
    ~FillingDiskDoc() override { ShutDownWorkers(); }

protected:
    bool WriteToFile(int fd, const char* data, size_t count) override {
        std::unique_lock lock(m_cs);
        if (count <= m_nRoom) {
            m_nRoom -= count;
            lock.unlock();
            return CTestDoc::WriteToFile(fd, data, count);
        }
        const size_t part = m_nRoom;
        m_nRoom = 0;
        lock.unlock();
        (void)CTestDoc::WriteToFile(fd, data, part);  // the disk fills up after this part
        errno = m_nError;
        return false;
    }

private:
    std::mutex m_cs;
    size_t m_nRoom;
    const int m_nError;
};
}  // namespace

// A stored copy or its header that finds the disk full pauses the task as a
// file that cannot be created does, and no half-written copy is kept.
TEST(DiskFull, AWriteThatFindsTheDiskFullPausesAndKeepsNoHalfCopy) {
    const std::string body(3000, 'b');
    const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
    struct Case {
        const char* name;
        size_t nRoom;
        int nError;
    };
    const Case cases[] = {{"page", header.size() + 1000, ENOSPC}, {"header", 10, EDQUOT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FixtureServer server;
        FixtureServer::Response response;
        response.bytes = header + body;
        server.SetDefault(response);
        RecordingTarget frame;
        FillingDiskDoc doc(c.nRoom, c.nError);
        doc.m_hWndMainFrame = &frame;
        doc.m_strTaskDir = dir.Path();
        doc.m_strStartAddress = server.HostPort() + "/";
        doc.m_strCurrentSite = server.HostPort();
        doc.m_nState = IDS_STATE_PAUSED;
        doc.m_strUrl[0] = server.Url("/a.html");
        doc.OnTaskRun();
        ASSERT_TRUE(WaitFor([&] { return doc.IsRunEnded(); }));
        doc.JoinWorkers();

        const std::string stored = dir.Path() + server.HostPort() + "/a.html";
        EXPECT_EQ(doc.m_nState, unsigned{IDS_STATE_PAUSED});
        EXPECT_EQ(frame.Texts(WM_TASK_STATE), (std::vector<std::string>{"Seeking...", "Paused"}));
        ASSERT_EQ(frame.Texts(WM_FILE_ERROR).size(), 1u);
        for (const RecordingTarget::Message& message : frame.Messages()) {
            if (message.message == WM_FILE_ERROR) {
                EXPECT_EQ(message.wParam, c.nError);
            }
        }
        EXPECT_EQ(doc.LinksRequested(), 0);
        EXPECT_EQ(doc.m_strUrl[0], server.Url("/a.html"));  // fetched again on resume
        EXPECT_FALSE(std::filesystem::exists(stored));
        EXPECT_FALSE(std::filesystem::exists(stored + ".Quobrix"));
    }
}

// A URL named like a header file keeps to its own copy, whichever page comes
// first; a page refused for its size takes only its own copy away.
TEST_F(RetrievalTest, AUrlNamedLikeAHeaderFileKeepsToItsOwnCopy) {
    const std::string headerA = Header("Content-Type: text/html\r\nX-Page: a\r\n");
    const std::string headerQ = Header("Content-Type: text/plain\r\n");
    FixtureServer server;
    server.Route("/a.html.Quobrix", Raw(headerQ + "page q"));
    struct Case {
        const char* first;
        const char* second;
        bool bSecondRefused;
    };
    const Case cases[] = {{"/a.html", "/a.html.Quobrix", false},
                          {"/a.html.Quobrix", "/a.html", false},
                          {"/a.html.Quobrix", "/a.html", true}};
    doc().m_nTextMaxK = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + (c.bSecondRefused ? ", then refused" : ""));
        server.Route("/a.html", Raw(headerA + (c.bSecondRefused ? std::string(3000, 'g') : "page a")));
        TempDir dir;
        doc().m_strTaskDir = dir.Path();
        EXPECT_GT(Fetch(server, c.first), 0);
        EXPECT_EQ(Fetch(server, c.second) > 0, !c.bSecondRefused);
        const std::string q = doc().UrlToLocalPath(server.Url("/a.html.Quobrix"));
        EXPECT_EQ(ReadFileBytes(q), "page q");
        EXPECT_EQ(ReadFileBytes(q + ".Quobrix"), headerQ);
        const std::string a = dir.Path() + server.HostPort() + "/a.html";
        if (c.bSecondRefused) {
            EXPECT_FALSE(std::filesystem::exists(a));
            EXPECT_FALSE(std::filesystem::exists(a + ".Quobrix"));
        } else {
            EXPECT_EQ(ReadFileBytes(a), "page a");
            EXPECT_EQ(ReadFileBytes(a + ".Quobrix"), headerA);
        }
    }
}

// "/dir" and "/dir/x.html" cannot both be kept: the one that is not has no
// header file either, not even one left from an earlier run.
TEST_F(RetrievalTest, APageThatCannotBeStoredHasNoHeaderFile) {
    FixtureServer server;
    server.Route("/dir", Raw(Header("Content-Type: text/html\r\n") + "dir page"));
    server.Route("/dir/x.html", Raw(Header("Content-Type: text/html\r\n") + "x page"));
    struct Case {
        const char* first;
        const char* second;
        bool bStaleHeader;
    };
    const Case cases[] = {{"/dir", "/dir/x.html", false}, {"/dir/x.html", "/dir", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        TempDir dir;
        doc().m_strTaskDir = dir.Path();
        const std::string kept = dir.Path() + server.HostPort() + c.first;
        const std::string lost = dir.Path() + server.HostPort() + c.second;
        EXPECT_GT(Fetch(server, c.first), 0);
        if (c.bStaleHeader) {
            WriteFileBytes(lost + ".Quobrix", Header(""));
        }
        EXPECT_GT(Fetch(server, c.second), 0) << "read and analysed all the same";
        EXPECT_EQ(doc().m_strLocalPath[0], lost);
        EXPECT_TRUE(std::filesystem::exists(kept + ".Quobrix"));
        EXPECT_FALSE(std::filesystem::exists(lost + ".Quobrix"));
    }
}

// A page fetched again replaces its header file whole: nothing of a longer
// older header trails the new one.
TEST_F(RetrievalTest, AHeaderFileIsReplacedWhole) {
    FixtureServer server;
    const std::string shortHeader = Header("Content-Type: text/html\r\n");
    server.Route("/a.html", Raw(Header("Set-Cookie: " + std::string(300, 'c') + "\r\n") + "old"));
    EXPECT_EQ(Fetch(server, "/a.html"), 3);
    server.Route("/a.html", Raw(shortHeader + "new"));
    EXPECT_EQ(Fetch(server, "/a.html"), 3);
    EXPECT_EQ(Stored(server, "/a.html.Quobrix"), shortHeader);
}
