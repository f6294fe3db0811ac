#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/Base64.h"
#include "common/Messages.h"
#include "common/StringTable.h"
#include "results/ResultRow.h"
#include "support/FixtureServer.h"
#include "support/RecordingTarget.h"
#include "support/TaskFileBytes.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "support/WaitFor.h"
#include "task/Archive.h"

namespace {
CNewTaskRecord SiteRecord(const std::string& typed, const std::string& keywords) {
    CNewTaskRecord record;
    record.m_strStartAddress = NormalizeInternetAddress(typed).value();
    record.m_strEndAddress = record.m_strStartAddress;
    record.m_strKeywords = keywords;
    return record;
}

CNewTaskRecord RangeRecord(const std::string& first, const std::string& last) {
    const CAddressRange range = OrderAddressRange(first, last).value();
    CNewTaskRecord record;
    record.m_bSiteMode = false;
    record.m_strStartAddress = range.m_strStart;
    record.m_strEndAddress = range.m_strEnd;
    return record;
}

std::string AuthHost(CTestDoc& doc) {
    std::lock_guard lock(doc.m_csCredential);
    return doc.m_strAuthHost;
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : ~0u;
}

// Everything the task file would hold of the record.
std::string FileBytesOf(CTestDoc& doc) {
    CArchive ar;
    EXPECT_TRUE(doc.Serialize(ar));
    return ar.Bytes();
}

std::string Rows(const std::string& base, int from, int to) {
    std::string rows;
    for (int n = from; n <= to; ++n) {
        const std::string url = base + "/old" + std::to_string(n) + ".html";
        rows += BuildResultRow(url, "", n, "T", "A");
    }
    return rows;
}

class ScriptedPrompts : public IDocumentPrompts {
public:
    void ShowMessage(const std::string& text, Icon) override { m_arrShown.push_back(text); }
    Answer AskYesNoCancel(const std::string& text) override {
        m_arrShown.push_back(text);
        return m_answer;
    }
    std::string AskSavePath() override { return m_strSavePath; }

    Answer m_answer = Answer::Cancel;
    std::string m_strSavePath;
    std::vector<std::string> m_arrShown;
};
}  // namespace

TEST(NewTask, TypedAddressesAreNormalised) {
    EXPECT_EQ(NormalizeInternetAddress("  HTTP://Example.COM/dir/page.html "),
              "Example.COM/dir/page.html");
    EXPECT_EQ(NormalizeInternetAddress("https://secure.example/"), "https://secure.example/");
    EXPECT_EQ(NormalizeInternetAddress("example.com"), "example.com");
    EXPECT_FALSE(NormalizeInternetAddress("  http://  ").has_value());
    EXPECT_FALSE(NormalizeInternetAddress("").has_value());

    const CAddressRange range = OrderAddressRange("10.0.0.20", "10.0.0.5").value();
    EXPECT_EQ(range.m_strStart, "10.0.0.5");
    EXPECT_EQ(range.m_strEnd, "10.0.0.20");
    EXPECT_FALSE(OrderAddressRange("10.0.0.300", "10.0.0.5").has_value());
}

TEST(NewTask, AddressesACrawlCannotFetchAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"example.com/dir/", ""},
        {" HTTP://user@Example.COM:8080/x ", ""},
        {"127.0.0.1:65535", ""},
        {"a.example/path?u=ftp://b", ""},
        {"ftp://a.example/",
         "ftp:// addresses cannot be searched; give an http:// or https:// address"},
        {"HTTPS://a.example:8443/", ""},
        {"http://ftp://a.example", "the address holds a second scheme, \"ftp://\""},
        {"a.example:0/", "the port \"0\" is not a number from 1 to 65535"},
        {"a.example:65536", "the port \"65536\" is not a number from 1 to 65535"},
        {"a.example:80a", "the port \"80a\" is not a number from 1 to 65535"},
        {"a.example:/", "the port \"\" is not a number from 1 to 65535"},
        {"http://:8080/x", "the address has no host name"},
        {"ann@/x", "the address has no host name"},
    };
    for (const auto& [typed, problem] : cases) {
        EXPECT_EQ(CrawlAddressProblem(typed), problem) << typed;
    }
}

TEST(NewTask, ATaskFileNameWithoutExtensionGetsOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"/t/shop", "/t/shop.qbx"}, {"/t/.shop", "/t/.shop.qbx"},   {"/t.d/shop", "/t.d/shop.qbx"},
        {"shop", "shop.qbx"},       {"/t/shop.old", "/t/shop.old"}, {"/t/shop.qbx", "/t/shop.qbx"},
    };
    for (const auto& [typed, path] : cases) {
        EXPECT_EQ(WithTaskExtension(typed), path) << typed;
    }
}

TEST(NewTask, SiteTaskIsPreparedSavedAndGetsItsFirstResultPage) {
    TempDir dir;
    const std::string path = dir / "tasks/shop.old.qbx";
    std::filesystem::create_directories(dir / "tasks");
    RecordingTarget frame;
    RecordingTarget view;
    CTestDoc doc;
    doc.m_hWndMainFrame = &frame;
    doc.m_hWndView = &view;
    std::string error;
    ASSERT_TRUE(doc.CreateNewTask(SiteRecord("  HTTP://Example.COM/dir/page.html ", " apple+ +Pear "),
                                  path, 65280, error))
        << error;

    EXPECT_EQ(doc.m_strTaskDir, dir / "tasks/shop.old/");
    EXPECT_EQ(doc.m_strStartAddress, "Example.COM/dir/page.html");
    EXPECT_EQ(doc.m_strCurrentSite, "Example.COM");
    EXPECT_EQ(doc.m_arrSites, std::vector<std::string>{"Example.COM"});
    EXPECT_EQ(doc.m_arrUrls, std::vector<std::string>{"http://Example.COM/dir/page.html"});
    EXPECT_EQ(doc.m_strUrl[0], "http://Example.COM/dir/page.html");
    EXPECT_EQ(doc.m_nNextUrl, 1);
    EXPECT_EQ(doc.m_strKeywords, "apple+ +Pear");
    EXPECT_EQ(doc.m_arrKeywords, (std::vector<std::string>{"apple", "Pear"}));
    EXPECT_TRUE(doc.m_bKeywordsChanged);
    EXPECT_EQ(doc.m_strTaskTitle, "shop.old");
    EXPECT_EQ(doc.m_nAutoSaveMinutes, 3);
    EXPECT_EQ(doc.m_crLinkColor, 65280u);
    EXPECT_TRUE(doc.m_strSiteAuthorization.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "tasks/shop.old/ResultPage0.html"));
    EXPECT_FALSE(doc.IsModified());

    EXPECT_EQ(frame.Texts(WM_TASK_STATE), std::vector<std::string>{"Idle"});
    EXPECT_EQ(frame.Numbers(WM_SITES_LEFT), std::vector<int64_t>{0});
    EXPECT_EQ(frame.Numbers(WM_LINKS_QUEUED), std::vector<int64_t>{0});
    EXPECT_EQ(frame.Numbers(WM_LINKS_REQUESTED), std::vector<int64_t>{0});
    EXPECT_EQ(view.Texts(WM_NAVIGATE_VIEW), std::vector<std::string>{doc.LocalServerRoot()});

    // The file holds the same task, the interval and the colour included.
    CTestDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(reopened.m_nAutoSaveMinutes, 3);
    EXPECT_EQ(reopened.m_crLinkColor, 65280u);
    EXPECT_EQ(reopened.m_nState, unsigned{IDS_STATE_IDLE});
}

TEST(NewTask, RangeTasksAndCredentials) {
    TempDir dir;
    CTestDoc doc;
    std::string error;

    CNewTaskRecord ordered = RangeRecord("10.0.0.20", "10.0.0.5");
    ordered.m_strAccount = "ann";
    ordered.m_strPassword = "pw";
    ASSERT_TRUE(doc.CreateNewTask(ordered, dir / "a.qbx", 1, error)) << error;
    EXPECT_EQ(doc.m_strStartAddress, "10.0.0.5");
    EXPECT_EQ(doc.m_strEndAddress, "10.0.0.20");
    EXPECT_EQ(doc.m_strCurrentSite, "10.0.0.5");
    EXPECT_EQ(doc.m_arrUrls, std::vector<std::string>{"http://10.0.0.5/"});
    EXPECT_EQ(doc.m_strSiteAuthorization, "YW5uOnB3");
    EXPECT_EQ(doc.SitesLeft(), 15u);

    // The last address cannot be advanced past: such a range starts one lower.
    CNewTaskRecord top = RangeRecord("255.255.255.255", "255.255.255.255");
    top.m_strPassword = "ignored without an account";
    ASSERT_TRUE(doc.CreateNewTask(top, dir / "b.qbx", 1, error)) << error;
    EXPECT_EQ(doc.m_strStartAddress, "255.255.255.254");
    EXPECT_EQ(doc.m_strEndAddress, "255.255.255.255");
    EXPECT_EQ(doc.m_strCurrentSite, "255.255.255.254");
    EXPECT_TRUE(doc.m_strSiteAuthorization.empty());
    EXPECT_EQ(doc.SitesLeft(), 1u);
}

TEST(NewTask, ANewTaskForgetsThePreviousOne) {
    TempDir dir;
    CTestDoc doc;
    std::string error;
    ASSERT_TRUE(doc.CreateNewTask(RangeRecord("10.0.0.1", "10.0.0.2"), dir / "a.qbx", 1, error));
    doc.m_strPage[4] = "old page";
    doc.m_nMaxThreads = 2;
    doc.m_arrSites = {"old.example"};
    ASSERT_TRUE(doc.CreateNewTask(SiteRecord("example.com", ""), dir / "b.qbx", 1, error));
    EXPECT_TRUE(doc.m_strPage[4].empty());
    EXPECT_EQ(doc.m_nMaxThreads, 10);
    EXPECT_EQ(doc.m_arrSites, std::vector<std::string>{"example.com"});
    EXPECT_TRUE(doc.m_arrKeywords.empty());
}

TEST(NewTask, ASaveThatFailsLeavesAnEmptyNewTask) {
    CTestDoc doc;
    std::string error;
    EXPECT_FALSE(doc.CreateNewTask(SiteRecord("example.com", ""), "/proc/no-such/x.qbx", 1, error));
    EXPECT_NE(error.find("/proc/no-such/x.qbx"), std::string::npos);
    EXPECT_TRUE(doc.m_strStartAddress.empty());
    EXPECT_TRUE(doc.GetPathName().empty());
}

TEST(TaskPaths, TheTaskDirectoryIsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(CTestDoc::TaskDirFor("/tasks/shop.qbx"), "/tasks/shop/");
    EXPECT_EQ(CTestDoc::TaskDirFor("/tasks/shop.old.qbx"), "/tasks/shop.old/");
    EXPECT_EQ(CTestDoc::TaskDirFor("/my.tasks/shop"), "/my.tasks/shop/");
}

TEST(OpenTask, UsesTheFolderBesideTheFileElseTheStoredOne) {
    TempDir dir;
    std::filesystem::create_directories(dir / "home");
    std::filesystem::create_directories(dir / "moved");
    std::string error;
    {
        CTestDoc doc;
        ASSERT_TRUE(doc.CreateNewTask(SiteRecord("example.com", "a+b"), dir / "home/shop.qbx", 1, error));
    }
    std::filesystem::copy_file(dir / "home/shop.qbx", dir / "moved/shop.qbx");

    CTestDoc doc;
    doc.m_nAbstractMaxLength = 500;
    ASSERT_TRUE(doc.OnOpenDocument(dir / "moved/shop.qbx", error)) << error;
    EXPECT_EQ(doc.m_strTaskDir, dir / "home/shop/");
    EXPECT_EQ(doc.m_strEmailListPath, dir / "home/shop/EmailAddress.txt");
    EXPECT_EQ(doc.m_nAbstractMaxLength, 300);

    std::filesystem::create_directories(dir / "moved/shop");
    ASSERT_TRUE(doc.OnOpenDocument(dir / "moved/shop.qbx", error)) << error;
    EXPECT_EQ(doc.m_strTaskDir, dir / "moved/shop/");
    EXPECT_EQ(doc.m_strEmailListPath, dir / "moved/shop/EmailAddress.txt");
    // The result page being written is in the folder chosen, too.
    EXPECT_EQ(doc.m_strResultPagePath, dir / "moved/shop/ResultPage0.html");
    EXPECT_EQ(doc.GetPathName(), dir / "moved/shop.qbx");
}

TEST(OpenTask, ATaskReadFromAFileIsNeverRunning) {
    TempDir dir;
    const std::pair<unsigned, unsigned> states[] = {{IDS_STATE_SEEKING, IDS_STATE_PAUSED},
                                                    {IDS_STATE_FINISHED, IDS_STATE_FINISHED}};
    for (const auto& [stored, opened] : states) {
        HandMadeTask task;
        task.state = static_cast<int32_t>(stored);
        task.active = 1;  // as saved while workers ran
        const std::string bytes = task.Bytes();
        WriteFileBytes(dir / "t.qbx", bytes);
        CTestDoc doc;
        std::string error;
        ASSERT_TRUE(doc.OnOpenDocument(dir / "t.qbx", error)) << error;
        EXPECT_EQ(doc.m_nState, opened) << stored;
        EXPECT_FALSE(doc.HasActiveWorkers()) << stored;
        EXPECT_EQ(ReadFileBytes(dir / "t.qbx"), bytes) << "opening writes nothing";
    }
}

TEST(OpenTask, PathsThatAreWrittenToComeFromTheTaskFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir / "home");
    std::string error;
    {
        CTestDoc doc;
        ASSERT_TRUE(
            doc.CreateNewTask(SiteRecord("example.com", ""), dir / "home/shop.qbx", 1, error));
    }
    // The file and its folder moved together.
    std::filesystem::rename(dir / "home", dir / "moved");
    CTestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir / "moved/shop.qbx", error)) << error;
    EXPECT_EQ(doc.m_strResultPagePath, dir / "moved/shop/ResultPage0.html");

    // A file that names a result page elsewhere, and page numbers of any kind.
    std::filesystem::create_directories(dir / "t");
    const std::pair<int32_t, std::string> pages[] = {{2, "t/ResultPage2.html"},
                                                     {-7, "t/ResultPage0.html"}};
    for (const auto& [page, expected] : pages) {
        HandMadeTask task;
        task.resultPagePath = dir / "foreign.html";
        task.resultPage = page;
        WriteFileBytes(dir / "t.qbx", task.Bytes());
        ASSERT_TRUE(doc.OnOpenDocument(dir / "t.qbx", error)) << error;
        EXPECT_EQ(doc.m_strResultPagePath, dir / expected) << page;
        EXPECT_EQ(doc.m_strEmailListPath, dir / "t/EmailAddress.txt");
    }
}

TEST(OpenTask, ASiteCredentialThatIsNotBase64IsDropped) {
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {"YW5uOnB3", "YW5uOnB3"},
        {"Zm8=", "Zm8="},
        {"Zg==", "Zg=="},
        {"YW5uOnB3\r\nX-Inj: 1", ""},
        {"YW5u OnB3", ""},
        {"YW5u\nOnB3", ""},
        {"YW5uOnB", ""},
        {"Zg=a", ""},
        {"Z===", ""},
        {"YW5u-_B3", ""},
    };
    for (const auto& [stored, kept] : cases) {
        HandMadeTask task;
        task.siteAuthorization = stored;
        WriteFileBytes(dir / "t.qbx", task.Bytes());
        CTestDoc doc;
        std::string error;
        ASSERT_TRUE(doc.OnOpenDocument(dir / "t.qbx", error)) << error;
        EXPECT_EQ(doc.GetSiteAuthorization(), kept) << stored;
    }
}

TEST(Credentials, ACredentialKeepsItsHostAcrossASaveAndReopen) {
    TempDir dir;
    const std::string path = dir / "shop.qbx";
    const std::string sidecar = dir / "shop/.QuobrixAuth";
    std::string error;
    CNewTaskRecord record = SiteRecord("127.0.0.1:8080/start.html", "");
    record.m_strAccount = "ann";
    record.m_strPassword = "pw";
    CTestDoc doc;
    ASSERT_TRUE(doc.CreateNewTask(record, path, 1, error)) << error;
    // Both files hold or stand for the credential: for their owner only.
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(sidecar), 0600u);

    CTestDoc back;
    auto reopen = [&] {
        EXPECT_TRUE(back.OnOpenDocument(path, error)) << error;
        return back.GetSiteAuthorization() + " for " + AuthHost(back);
    };
    EXPECT_EQ(reopen(), "YW5uOnB3 for 127.0.0.1:8080") << "the task's own account";

    // An account typed at the prompt for another host stays with that host.
    back.AnswerAuthorization("http://127.0.0.2:8081/private/", true, "bob", "secret", false);
    ASSERT_TRUE(back.OnSaveDocument(path, error)) << error;
    const std::string bob = CBase64::Encode("bob:secret");
    EXPECT_EQ(reopen(), bob + " for 127.0.0.2:8081");
    EXPECT_EQ(ReadFileBytes(sidecar).find(bob), std::string::npos) << "never the credential itself";

    // The task file now holds another credential than the sidecar knows.
    std::string bytes = ReadFileBytes(path);
    bytes.replace(bytes.find(bob), bob.size(), CBase64::Encode("eve:secret"));
    WriteFileBytes(path, bytes);
    EXPECT_EQ(reopen(), CBase64::Encode("eve:secret") + " for ");

    // Files from before the sidecar: the host is unknown, so the credential
    // goes nowhere, not even the task's own account.
    ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    EXPECT_EQ(reopen(), "YW5uOnB3 for 127.0.0.1:8080");
    std::filesystem::remove(sidecar);
    EXPECT_EQ(reopen(), "YW5uOnB3 for ");
}

TEST(OpenTask, TheKeywordListIsRebuiltFromTheKeywordText) {
    TempDir dir;
    CTestDoc doc;
    std::string error;
    ASSERT_TRUE(doc.CreateNewTask(SiteRecord("example.com", "apple"), dir / "k.qbx", 1, error));
    doc.m_strKeywords = " river + lake ";
    doc.m_arrKeywords = {"stale"};
    ASSERT_TRUE(doc.OnSaveDocument(dir / "k.qbx", error));
    CTestDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(dir / "k.qbx", error)) << error;
    EXPECT_EQ(reopened.m_arrKeywords, (std::vector<std::string>{"river", "lake"}));
}

TEST(OpenTask, FilesThatCannotBeReadGiveAMessage) {
    TempDir dir;
    CTestDoc doc;
    std::string error;
    EXPECT_FALSE(doc.OnOpenDocument(dir / "missing.qbx", error));
    EXPECT_NE(error.find("missing.qbx"), std::string::npos);

    WriteFileBytes(dir / "short.qbx", std::string("\x05hello", 6));
    doc.m_nMaxThreads = 3;
    EXPECT_FALSE(doc.OnOpenDocument(dir / "short.qbx", error));
    EXPECT_EQ(error, "Unexpected file format.");
    EXPECT_EQ(doc.m_nMaxThreads, 3);  // the task that was open is kept
}

// A paused task with two result pages, properties of its own and a changed
// record meets a missing and a damaged file: it stays as it was, is told
// nothing new, and resumes where it paused.
TEST(OpenTask, AFailedOpenKeepsTheTaskThatIsOpen) {
    TempDir dir;
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("<html>next</html>"));
    const std::string path = dir / "paused.qbx";
    CTestDoc doc;
    std::string error;
    CNewTaskRecord record = SiteRecord(server.HostPort() + "/", "next");
    record.m_strAccount = "ann";
    record.m_strPassword = "pw";
    ASSERT_TRUE(doc.CreateNewTask(record, path, 1, error)) << error;
    doc.m_nState = IDS_STATE_PAUSED;
    doc.m_nResultsPerPage = 10;
    doc.m_nResultPage = 1;
    doc.m_nResultsInPage = 2;
    doc.m_nMaxThreads = 2;
    doc.m_nDepth = 4;
    doc.m_nAbstractMaxLength = 200;
    doc.m_arrUrls = {server.Url("/"), server.Url("/next.html")};
    doc.m_nNextUrl = 2;
    doc.m_strUrl[0] = server.Url("/next.html");
    doc.m_nRequested[0] = 12;
    doc.SetModifiedFlag();
    const std::string page0 = Rows(server.Url(""), 1, 10);
    const std::string page1 = Rows(server.Url(""), 11, 12);
    WriteFileBytes(dir / "paused/ResultPage0.html", page0);
    WriteFileBytes(dir / "paused/ResultPage1.html", page1);
    const std::string before = FileBytesOf(doc);
    RecordingTarget frame;
    RecordingTarget bar;
    doc.m_hWndMainFrame = &frame;
    doc.m_hWndThreadBar = &bar;

    WriteFileBytes(dir / "damaged.qbx", std::string("\x05hello", 6));
    for (const char* name : {"missing.qbx", "damaged.qbx"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(doc.OnOpenDocument(dir / name, error));
        EXPECT_EQ(FileBytesOf(doc), before);
        EXPECT_EQ(doc.GetPathName(), path);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.m_nAbstractMaxLength, 200);
        EXPECT_EQ(AuthHost(doc), server.HostPort());
        EXPECT_TRUE(frame.Messages().empty()) << "nothing changed, nothing to tell";
        EXPECT_TRUE(bar.Messages().empty());
    }
    EXPECT_EQ(ReadFileBytes(dir / "paused/ResultPage0.html"), page0);
    EXPECT_EQ(ReadFileBytes(dir / "paused/ResultPage1.html"), page1);

    doc.OnTaskRun();
    ASSERT_TRUE(WaitFor([&] { return doc.IsRunEnded(); }));
    doc.JoinWorkers();
    EXPECT_EQ(doc.m_nState, unsigned{IDS_STATE_FINISHED});
    ASSERT_EQ(server.Requests().size(), 1u) << "resumed with the page it paused on";
    EXPECT_EQ(server.Requests()[0].target, "/next.html");
    EXPECT_EQ(doc.LinksRequested(), 13);
    EXPECT_EQ(ReadFileBytes(dir / "paused/ResultPage0.html"), page0);
    const std::string rows = ReadFileBytes(dir / "paused/ResultPage1.html");
    EXPECT_EQ(rows.substr(0, page1.size()), page1);
    EXPECT_NE(rows.find(server.Url("/next.html")), std::string::npos);
}

// The panes of the window show the task that is really open, never the one before.
TEST(NewTask, NewAndOpenTellTheReceiversAboutTheTaskThatIsOpen) {
    TempDir dir;
    CTestDoc doc;
    doc.m_strCurrentSite = "example.com";
    doc.m_arrSites = {"example.com", "other.example"};
    doc.m_arrUrls = {"http://example.com/", "http://example.com/a.html"};
    doc.m_nNextUrl = 1;
    doc.m_nRequested[3] = 7;

    struct Step {
        const char* name;
        std::function<void()> action;
        std::string strState;
        int64_t nSitesLeft, nQueued, nRequested;
    };
    HandMadeTask saved;
    saved.state = IDS_STATE_PAUSED;
    saved.urls = {"http://example.com/", "http://example.com/b.html", "http://example.com/c.html"};
    WriteFileBytes(dir / "t.qbx", saved.Bytes());
    std::string error;
    const Step steps[] = {
        {"new after a finished task", [&] { doc.OnNewDocument(); }, "Idle", 0, 0, 0},
        {"open", [&] { EXPECT_TRUE(doc.OnOpenDocument(dir / "t.qbx", error)) << error; },
         "Paused", 1, 2, 0},
    };
    doc.m_nState = IDS_STATE_FINISHED;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        RecordingTarget frame;
        RecordingTarget bar;
        doc.m_hWndMainFrame = &frame;
        doc.m_hWndThreadBar = &bar;
        step.action();
        EXPECT_EQ(frame.Texts(WM_TASK_STATE), std::vector<std::string>{step.strState});
        EXPECT_EQ(frame.Numbers(WM_SITES_LEFT), std::vector<int64_t>{step.nSitesLeft});
        EXPECT_EQ(frame.Numbers(WM_LINKS_QUEUED), std::vector<int64_t>{step.nQueued});
        EXPECT_EQ(frame.Numbers(WM_LINKS_REQUESTED), std::vector<int64_t>{step.nRequested});
        ASSERT_EQ(bar.Messages().size(), 1u);
        EXPECT_EQ(bar.Messages()[0].message, unsigned{WM_THREADS_RESET});
        EXPECT_TRUE(bar.Messages()[0].posted);
        doc.m_hWndMainFrame = nullptr;
        doc.m_hWndThreadBar = nullptr;
    }
}

// A run's progress is a change: closing after a save made while it ran
// offers to save again, and a save clears only what it wrote.
TEST(CloseTask, WhatARunChangesAfterASaveIsUnsaved) {
    TempDir dir;
    FixtureServer server;
    FixtureServer::Response held;
    held.silent = true;
    server.SetDefault(held);
    CTestDoc doc;
    std::string error;
    ASSERT_TRUE(
        doc.CreateNewTask(SiteRecord(server.HostPort() + "/", ""), dir / "t.qbx", 1, error));
    doc.m_nTimeout = 0;  // the page waits for the test
    doc.OnTaskRun();
    ASSERT_TRUE(server.WaitForRequests(1));
    ASSERT_TRUE(doc.OnSaveDocument(dir / "t.qbx", error)) << error;  // while it runs
    EXPECT_FALSE(doc.IsModified()) << "nothing changed since";

    // The page fails, and the run ends: a page requested, a state the file keeps.
    doc.OnAbortRetrieval(0);
    ASSERT_TRUE(WaitFor([&] { return doc.IsRunEnded(); }));
    doc.JoinWorkers();
    EXPECT_EQ(doc.m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(doc.LinksRequested(), 1);
    EXPECT_TRUE(doc.IsModified());
    ScriptedPrompts prompts;
    prompts.m_answer = IDocumentPrompts::Answer::Cancel;
    EXPECT_FALSE(doc.CanCloseFrame(prompts));
    EXPECT_EQ(prompts.m_arrShown, std::vector<std::string>{"Save changes to t?"});

    // A save takes the changes counted before its snapshot: one made after
    // that is still to save.
    const unsigned counted = doc.ChangeCount();
    doc.SetModifiedFlag();
    doc.SetSavedChanges(counted);
    EXPECT_TRUE(doc.IsModified());
}

TEST(Keywords, SplitAtPlusTrimmedWithoutEmptyPieces) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"apple+ +Pear ", {"apple", "Pear"}},
        {"", {}},
        {"+++", {}},
        {" red apple +pear", {"red apple", "pear"}},
        {"\tx\t", {"x"}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(CTestDoc::SplitKeywords(text), expected) << text;
    }
    CTestDoc doc;
    doc.SetKeywords("  a+b  ", true);
    EXPECT_EQ(doc.m_strKeywords, "a+b");
    EXPECT_TRUE(doc.m_bMatchCase);
    EXPECT_TRUE(doc.m_bKeywordsChanged);
    EXPECT_EQ(doc.m_arrKeywords, (std::vector<std::string>{"a", "b"}));
}

TEST(CloseTask, RefusedWhileRunningElseUnsavedChangesAreOffered) {
    TempDir dir;
    CTestDoc doc;
    ScriptedPrompts prompts;

    doc.m_nState = IDS_STATE_SEEKING;
    EXPECT_FALSE(doc.CanCloseFrame(prompts));
    EXPECT_EQ(prompts.m_arrShown,
              std::vector<std::string>{"A search task is running, pause or stop it first."});

    doc.m_nState = IDS_STATE_PAUSED;
    prompts.m_arrShown.clear();
    EXPECT_TRUE(doc.CanCloseFrame(prompts)) << "nothing to save";
    EXPECT_TRUE(prompts.m_arrShown.empty());

    doc.SetModifiedFlag();
    prompts.m_answer = IDocumentPrompts::Answer::Cancel;
    EXPECT_FALSE(doc.SaveModified(prompts));
    EXPECT_EQ(prompts.m_arrShown.back(), "Save changes to Untitled?");
    prompts.m_answer = IDocumentPrompts::Answer::No;
    EXPECT_TRUE(doc.SaveModified(prompts));

    prompts.m_answer = IDocumentPrompts::Answer::Yes;
    prompts.m_strSavePath = "";  // Save As cancelled
    EXPECT_FALSE(doc.SaveModified(prompts));
    prompts.m_strSavePath = dir / "saved.qbx";
    EXPECT_TRUE(doc.SaveModified(prompts));
    EXPECT_TRUE(std::filesystem::exists(dir / "saved.qbx"));
    EXPECT_FALSE(doc.IsModified());
}
