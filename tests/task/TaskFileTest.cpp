#include <gtest/gtest.h>

#include <random>

#include "common/StringTable.h"
#include "support/TaskFileBytes.h"
#include "support/TempDir.h"
#include "task/Archive.h"
#include "task/QuobrixDoc.h"

namespace {
CNewTaskRecord SiteRecord(const std::string& address, const std::string& keywords) {
    CNewTaskRecord record;
    record.m_bSiteMode = true;
    record.m_strStartAddress = address;
    record.m_strEndAddress = address;
    record.m_strKeywords = keywords;
    return record;
}

// Loads bytes into a fresh task; the error text when they do not load.
std::string LoadInto(CQuobrixDoc& doc, const std::string& bytes) {
    CArchive ar(bytes);
    return doc.Serialize(ar) ? "" : LoadString(IDS_UNEXPECTED_FILE_FORMAT);
}

std::string Store(CQuobrixDoc& doc) {
    CArchive ar;
    EXPECT_TRUE(doc.Serialize(ar));
    return ar.Bytes();
}
}  // namespace

TEST(TaskFile, ANewTaskIsWrittenByteForByte) {
    TempDir dir;
    const std::string path = dir / "shop.qbx";
    CQuobrixDoc doc;
    std::string error;
    ASSERT_TRUE(doc.CreateNewTask(SiteRecord("example.com/dir/a.html", "apple+pear"), path, 0x123456,
                                  error))
        << error;

    const std::string taskDir = dir / "shop/";
    TaskFileBytes expected;
    expected.Text(taskDir).Text("example.com/dir/a.html").Text("example.com/dir/a.html");
    expected.Text("example.com").Text("apple+pear").Text(taskDir + "EmailAddress.txt").Text("shop");
    expected.Text(taskDir + "ResultPage0.html").Text("");
    expected.List({"http://example.com/dir/a.html"}).List({}).List({"example.com"});
    expected.List({"apple", "pear"});
    // state, slots used, max threads, site mode, next URL, next site, reserved1
    expected.Number(62470).Number(0).Number(10).Number(1).Number(1).Number(1).Number(0);
    // retries, timeout, reserved2, link colour, auto-save, depth
    expected.Number(3).Number(60000).Number(0).Number(0x123456).Number(3).Number(0);
    // entries in page, page index, per page, text/image/others limits
    expected.Number(0).Number(0).Number(50).Number(1024).Number(0).Number(1024);
    // pause after site, reserved3-5, match case, reserved6, prompt
    expected.Number(0).Number(0).Number(0).Number(0).Number(0).Number(0).Number(0);
    // filters text, image, others, recolour
    expected.Number(1).Number(1).Number(1).Number(1);
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        expected.Text("").Text("").Text("").Text("");
        expected.Text(slot == 0 ? "http://example.com/dir/a.html" : "").Text("").Text("").Text("");
        expected.Number(0).Number(0).Number(0).Number(0).Number(0).Number(0);
    }
    EXPECT_EQ(ReadFileBytes(path), expected.Bytes());
}

TEST(TaskFile, StringPrefixesFollowTheLength) {
    CQuobrixDoc doc;
    const std::pair<size_t, std::string> cases[] = {
        {0, std::string("\x00", 1)},
        {254, std::string("\xFE", 1)},
        {255, std::string("\xFF\xFF\x00", 3)},
        {300, std::string("\xFF\x2C\x01", 3)},
        {65533, std::string("\xFF\xFD\xFF", 3)},
        {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const auto& [length, prefix] : cases) {
        doc.m_strTaskDir = std::string(length, 'd');
        const std::string bytes = Store(doc);
        EXPECT_EQ(bytes.substr(0, prefix.size()), prefix) << "length " << length;
        EXPECT_EQ(bytes.substr(prefix.size(), length), doc.m_strTaskDir) << "length " << length;

        CQuobrixDoc back;
        EXPECT_EQ(LoadInto(back, bytes), "");
        EXPECT_EQ(back.m_strTaskDir.size(), length);
    }
}

TEST(TaskFile, EveryFieldSurvivesASaveAndALoad) {
    CQuobrixDoc doc;
    doc.m_strStartAddress = "10.0.0.5";
    doc.m_strEndAddress = "10.0.0.20";
    doc.m_strCurrentSite = "10.0.0.7";
    doc.m_strSiteAuthorization = "YW5uOnB3";
    doc.m_arrUrls = {"http://10.0.0.7/", "http://10.0.0.7/a b?c=d#e"};
    doc.m_arrSites = {};
    doc.m_arrKeywords = {"apple", "pear"};
    doc.m_nState = IDS_STATE_FINISHED;
    doc.m_nSlotsUsed = 7;
    doc.m_nMaxThreads = 4;
    doc.m_bSiteMode = false;
    doc.m_nNextUrl = 2;
    doc.m_nNextSite = 0;
    doc.m_nRetries = 50;
    doc.m_nTimeout = 45000;
    doc.m_crLinkColor = 0x00FF8000;
    doc.m_nAutoSaveMinutes = 9;
    doc.m_nDepth = 4;
    doc.m_nResultsInPage = 17;
    doc.m_nResultPage = 3;
    doc.m_nResultsPerPage = 1000;
    doc.m_nTextMaxK = 0;
    doc.m_nImageMaxK = 77;
    doc.m_nOthersMaxK = -1;
    doc.m_bPauseAfterSite = true;
    doc.m_bMatchCase = true;
    doc.m_bPromptAuth = true;
    doc.m_bFilterText = false;
    doc.m_bFilterImage = false;
    doc.m_bFilterOthers = false;
    doc.m_bRecolorLinks = false;
    doc.m_strPage[14] = std::string("body\0with zero", 14);
    doc.m_strHeader[14] = "http/1.0 200 ok\r\n\r\n";
    doc.m_strTagText[3] = "<a href=x>";
    doc.m_strPlainText[3] = "text";
    doc.m_strUrl[9] = "http://10.0.0.7/x";
    doc.m_strLocalPath[9] = "/t/10.0.0.7/x";
    doc.m_strTitle[1] = "T";
    doc.m_strAbstract[1] = "<font color=\"#FF0000\">A</font>";
    doc.m_nPageLength[14] = 14;
    doc.m_nRequested[2] = 12;
    doc.m_nReceived[2] = 123456;
    doc.m_bActive[5] = true;
    doc.m_bNotHtml[6] = true;
    doc.m_bMatched[7] = true;

    const std::string bytes = Store(doc);
    CQuobrixDoc back;
    ASSERT_EQ(LoadInto(back, bytes), "");
    EXPECT_EQ(Store(back), bytes);
    EXPECT_EQ(back.m_strPage[14], doc.m_strPage[14]);
    EXPECT_EQ(back.m_nOthersMaxK, -1);
    EXPECT_EQ(back.m_crLinkColor, 0x00FF8000u);
    EXPECT_EQ(back.m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_TRUE(back.m_bActive[5]);
    EXPECT_FALSE(back.m_bSiteMode);
}

TEST(TaskFile, ARunningTaskIsStoredAsPausedAndStaysRunningInMemory) {
    CQuobrixDoc doc;
    doc.m_nState = IDS_STATE_SEEKING;
    const std::string bytes = Store(doc);
    EXPECT_EQ(doc.m_nState, unsigned{IDS_STATE_SEEKING});
    CQuobrixDoc back;
    ASSERT_EQ(LoadInto(back, bytes), "");
    EXPECT_EQ(back.m_nState, unsigned{IDS_STATE_PAUSED});
}

TEST(TaskFile, ReadsHandWrittenFilesWithLongAndWideStrings) {
    HandMadeTask task;
    task.slot0Page = std::string(70000, 'p');
    task.keywords = std::string(300, 'k');
    task.urls = {};
    task.nextUrl = 0;
    const std::u16string wide = u"h\u00E9te-\u4E2D.example\U0001F600";
    CQuobrixDoc doc;
    ASSERT_EQ(LoadInto(doc, task.Bytes(&wide)), "");
    EXPECT_EQ(doc.m_strCurrentSite, "h\xC3\xA9te-\xE4\xB8\xAD.example\xF0\x9F\x98\x80");
    EXPECT_EQ(doc.m_strPage[0].size(), 70000u);
    EXPECT_EQ(doc.m_strKeywords, std::string(300, 'k'));
    EXPECT_TRUE(doc.m_arrUrls.empty());
    EXPECT_EQ(doc.m_strUrl[0], "http://example.com/");
    EXPECT_EQ(doc.m_nTimeout, 60000);
}

TEST(TaskFile, AFileCutShortAnywhereIsRefusedAndChangesNothing) {
    HandMadeTask task;
    task.slot0Page = std::string(300, 'p');
    const std::string bytes = task.Bytes();
    for (size_t length = 0; length < bytes.size(); ++length) {
        CQuobrixDoc doc;
        doc.m_strStartAddress = "untouched";
        ASSERT_EQ(LoadInto(doc, bytes.substr(0, length)), "Unexpected file format.")
            << "cut at " << length;
        ASSERT_EQ(doc.m_strStartAddress, "untouched");
    }
    CQuobrixDoc doc;
    EXPECT_EQ(LoadInto(doc, bytes), "");
}

TEST(TaskFile, LengthsAndCountsBeyondTheEndAreRefusedWithoutAllocating) {
    const std::string hostile[] = {
        // task directory of 4 GiB - 1
        std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 7),
        // wide string of 4 G characters
        std::string("\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 9),
        // wide string announced, its length missing
        std::string("\xFF\xFE\xFF", 3),
    };
    for (const std::string& bytes : hostile) {
        CQuobrixDoc doc;
        EXPECT_EQ(LoadInto(doc, bytes), "Unexpected file format.");
    }
    // Nine empty strings, then a URL list claiming 4 G entries.
    TaskFileBytes list;
    for (int i = 0; i < 9; ++i) {
        list.Text("");
    }
    list.Raw(std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6));
    CQuobrixDoc doc;
    EXPECT_EQ(LoadInto(doc, list.Bytes()), "Unexpected file format.");
}

TEST(TaskFile, RandomDamageNeverBreaksTheReader) {
    HandMadeTask task;
    task.slot0Page = std::string(400, 'p');
    const std::string good = task.Bytes();
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
        }
        if (random() % 3 == 0) {
            bytes.resize(random() % bytes.size());
        }
        CQuobrixDoc doc;
        const std::string result = LoadInto(doc, bytes);
        ASSERT_TRUE(result.empty() || result == "Unexpected file format.");
    }
}
