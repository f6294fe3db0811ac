#include <atomic>
#include <set>

#include "EngineFixture.h"
#include "HeldDoc.h"
#include "support/ResultPages.h"

namespace {
using Step = HeldDoc::RunStep;

// A task record that pauses the task while it writes its first result row.
class PausingWriterDoc : public CTestDoc {
protected:
    bool WriteToFile(int fd, const char* data, size_t count) override {
        const bool written = CTestDoc::WriteToFile(fd, data, count);
        if (std::string_view(data, count).starts_with("  <tr> ") && !m_bPaused.exchange(true)) {
            PauseWorkers();
        }
        return written;
    }

private:
    std::atomic<bool> m_bPaused{false};
};
}  // namespace

class ResumeTest : public EngineTest {
protected:
    void ServeSite(int pages) {
        std::string links;
        for (int n = 1; n <= pages; ++n) {
            const std::string name = "p" + std::to_string(n) + ".html";
            links += "<a href=\"" + name + "\">" + name + "</a> ";
            m_server.Route("/" + name, FixtureServer::Ok("<html>" + name + " apple</html>"));
        }
        m_server.Route("/", FixtureServer::Ok("<html>" + links + "</html>"));
    }
    void NewTask(const std::string& path) {
        CNewTaskRecord record;
        record.m_strStartAddress = m_server.HostPort() + "/";
        record.m_strEndAddress = record.m_strStartAddress;
        record.m_strKeywords = "apple";
        std::string error;
        ASSERT_TRUE(doc().CreateNewTask(record, path, 1, error)) << error;
        doc().m_nTimeout = 5000;
    }

    FixtureServer m_server;
};

// Saved after the first page, run on to its end, then reopened and
// resumed (as after a crash once the file was auto-saved): the pages are cut
// back to the file's position, so no page is listed twice, and the rows
// agree with the counters.
TEST_F(ResumeTest, AFileSavedMidRunResumesWithoutListingAPageTwice) {
    constexpr int kPages = 24;
    ServeSite(kPages);
    auto pHeld = std::make_unique<HeldDoc>(Step::Choose);
    HeldDoc& held = *pHeld;
    UseDoc(std::move(pHeld));
    const std::string path = m_dir / "t.qbx";
    NewTask(path);
    doc().m_nResultsPerPage = 10;
    doc().m_nMaxThreads = 3;
    doc().OnTaskRun();
    ASSERT_TRUE(held.WaitUntilHeld());  // the start page done, its links queued
    std::string error;
    ASSERT_TRUE(doc().OnSaveDocument(path, error)) << error;
    held.Release();
    ASSERT_TRUE(WaitUntilEnded());
    ASSERT_EQ(ListedUrlsByPage(m_dir / "t/").size(), 3u);

    UseDoc(std::make_unique<CTestDoc>());
    ASSERT_TRUE(doc().OnOpenDocument(path, error)) << error;
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_PAUSED});
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});

    std::vector<size_t> sizes;
    for (const std::vector<std::string>& page : ListedUrlsByPage(m_dir / "t/")) {
        sizes.push_back(page.size());
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{10, 10, 5}));
    const std::vector<std::string> all = ListedUrls(m_dir / "t/");
    EXPECT_EQ(all.size(), size_t{kPages + 1});
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size())
        << "a page listed twice";
    EXPECT_EQ(doc().m_nResultPage * 10 + doc().m_nResultsInPage, kPages + 1);
    EXPECT_EQ(doc().LinksRequested(), kPages + 1);
}

// A stop that comes while a page's row is written: the page is done, and
// the resume does not fetch and list it again.
TEST_F(ResumeTest, APageListedBeforeAStopIsNotFetchedAgain) {
    ServeSite(1);
    UseDoc(std::make_unique<PausingWriterDoc>());
    NewTask(m_dir / "t.qbx");
    doc().OnTaskRun();
    ASSERT_TRUE(WaitUntilEnded());
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_PAUSED});
    EXPECT_EQ(doc().m_strUrl[0], "");
    EXPECT_EQ(doc().LinksRequested(), 1);

    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    EXPECT_EQ(Targets(m_server), (std::vector<std::string>{"/", "/p1.html"}));
    EXPECT_EQ(
        ListedUrlsByPage(m_dir / "t/"),
        (std::vector<std::vector<std::string>>{{m_server.Url("/"), m_server.Url("/p1.html")}}));
}
