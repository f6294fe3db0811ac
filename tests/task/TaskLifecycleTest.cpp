#include <gtest/gtest.h>

#include <filesystem>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"
#include "task/QuobrixDoc.h"

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

TEST(NewTask, SiteTaskIsPreparedSavedAndGetsItsFirstResultPage) {
    TempDir dir;
    const std::string path = dir / "tasks/shop.old.qbx";
    std::filesystem::create_directories(dir / "tasks");
    RecordingTarget frame;
    RecordingTarget view;
    CQuobrixDoc doc;
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
    CQuobrixDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path, error)) << error;
    EXPECT_EQ(reopened.m_nAutoSaveMinutes, 3);
    EXPECT_EQ(reopened.m_crLinkColor, 65280u);
    EXPECT_EQ(reopened.m_nState, unsigned{IDS_STATE_IDLE});
}

TEST(NewTask, RangeTasksAndCredentials) {
    TempDir dir;
    CQuobrixDoc doc;
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
    CQuobrixDoc doc;
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
    CQuobrixDoc doc;
    std::string error;
    EXPECT_FALSE(doc.CreateNewTask(SiteRecord("example.com", ""), "/proc/no-such/x.qbx", 1, error));
    EXPECT_NE(error.find("/proc/no-such/x.qbx"), std::string::npos);
    EXPECT_TRUE(doc.m_strStartAddress.empty());
    EXPECT_TRUE(doc.GetPathName().empty());
}

TEST(TaskPaths, TheTaskDirectoryIsTheFileNameWithoutItsExtension) {
    EXPECT_EQ(CQuobrixDoc::TaskDirFor("/tasks/shop.qbx"), "/tasks/shop/");
    EXPECT_EQ(CQuobrixDoc::TaskDirFor("/tasks/shop.old.qbx"), "/tasks/shop.old/");
    EXPECT_EQ(CQuobrixDoc::TaskDirFor("/my.tasks/shop"), "/my.tasks/shop/");
}

TEST(OpenTask, UsesTheFolderBesideTheFileElseTheStoredOne) {
    TempDir dir;
    std::filesystem::create_directories(dir / "home");
    std::filesystem::create_directories(dir / "moved");
    std::string error;
    {
        CQuobrixDoc doc;
        ASSERT_TRUE(doc.CreateNewTask(SiteRecord("example.com", "a+b"), dir / "home/shop.qbx", 1, error));
    }
    std::filesystem::copy_file(dir / "home/shop.qbx", dir / "moved/shop.qbx");

    CQuobrixDoc doc;
    doc.m_nAbstractMaxLength = 500;
    ASSERT_TRUE(doc.OnOpenDocument(dir / "moved/shop.qbx", error)) << error;
    EXPECT_EQ(doc.m_strTaskDir, dir / "home/shop/");
    EXPECT_EQ(doc.m_strEmailListPath, dir / "home/shop/EmailAddress.txt");
    EXPECT_EQ(doc.m_nAbstractMaxLength, 300);

    std::filesystem::create_directories(dir / "moved/shop");
    ASSERT_TRUE(doc.OnOpenDocument(dir / "moved/shop.qbx", error)) << error;
    EXPECT_EQ(doc.m_strTaskDir, dir / "moved/shop/");
    EXPECT_EQ(doc.m_strEmailListPath, dir / "moved/shop/EmailAddress.txt");
    // The result page being written keeps its stored path.
    EXPECT_EQ(doc.m_strResultPagePath, dir / "home/shop/ResultPage0.html");
    EXPECT_EQ(doc.GetPathName(), dir / "moved/shop.qbx");
}

TEST(OpenTask, TheKeywordListIsRebuiltFromTheKeywordText) {
    TempDir dir;
    CQuobrixDoc doc;
    std::string error;
    ASSERT_TRUE(doc.CreateNewTask(SiteRecord("example.com", "apple"), dir / "k.qbx", 1, error));
    doc.m_strKeywords = " river + lake ";
    doc.m_arrKeywords = {"stale"};
    ASSERT_TRUE(doc.OnSaveDocument(dir / "k.qbx", error));
    CQuobrixDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(dir / "k.qbx", error)) << error;
    EXPECT_EQ(reopened.m_arrKeywords, (std::vector<std::string>{"river", "lake"}));
}

TEST(OpenTask, FilesThatCannotBeReadGiveAMessage) {
    TempDir dir;
    CQuobrixDoc doc;
    std::string error;
    EXPECT_FALSE(doc.OnOpenDocument(dir / "missing.qbx", error));
    EXPECT_NE(error.find("missing.qbx"), std::string::npos);

    WriteFileBytes(dir / "short.qbx", std::string("\x05hello", 6));
    doc.m_nMaxThreads = 3;
    EXPECT_FALSE(doc.OnOpenDocument(dir / "short.qbx", error));
    EXPECT_EQ(error, "Unexpected file format.");
    EXPECT_EQ(doc.m_nMaxThreads, 10);  // properties back at their defaults
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
        EXPECT_EQ(CQuobrixDoc::SplitKeywords(text), expected) << text;
    }
    CQuobrixDoc doc;
    doc.SetKeywords("  a+b  ", true);
    EXPECT_EQ(doc.m_strKeywords, "a+b");
    EXPECT_TRUE(doc.m_bMatchCase);
    EXPECT_TRUE(doc.m_bKeywordsChanged);
    EXPECT_EQ(doc.m_arrKeywords, (std::vector<std::string>{"a", "b"}));
}

TEST(CloseTask, RefusedWhileRunningElseUnsavedChangesAreOffered) {
    TempDir dir;
    CQuobrixDoc doc;
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
