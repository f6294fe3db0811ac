#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Messages.h"
#include "common/StringTable.h"
#include "results/ResultRow.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"

namespace {
// Counts the messages that arrive while the result lock is held elsewhere.
class LockCheckingTarget : public RecordingTarget {
public:
    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override {
        if (m_pResults != nullptr) {
            if (m_pResults->try_lock()) {
                m_pResults->unlock();
            } else {
                ++m_nSentUnderLock;
            }
        }
        return RecordingTarget::Send(message, wParam, lParam);
    }

    CMutex* m_pResults = nullptr;
    std::atomic<int> m_nSentUnderLock{0};
};

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// A task record whose disk fills up once m_nRoom bytes more were written.
class FillingDiskDoc : public CTestDoc {
public:
    long m_nRoom = -1;  // no limit

protected:
    bool WriteToFile(int fd, const char* data, size_t count) override {
        if (m_nRoom < 0 || count <= static_cast<size_t>(m_nRoom)) {
            m_nRoom -= m_nRoom < 0 ? 0 : static_cast<long>(count);
            return CTestDoc::WriteToFile(fd, data, count);
        }
        (void)CTestDoc::WriteToFile(fd, data, static_cast<size_t>(m_nRoom));  // then full
        m_nRoom = 0;
        errno = ENOSPC;
        return false;
    }
};

class ResultWriterTest : public ::testing::Test {
protected:
    ResultWriterTest() {
        doc.m_strTaskDir = dir.Path();
        doc.m_nState = IDS_STATE_SEEKING;
        doc.m_nServerPort = 4321;
        doc.m_hWndView = &view;
        doc.m_hWndMainFrame = &frame;
        view.m_pResults = frame.m_pResults = &doc.m_csResults;
    }
    ~ResultWriterTest() override { EXPECT_EQ(view.m_nSentUnderLock + frame.m_nSentUnderLock, 0); }

    // The slot as the analysis leaves it for row n, and that row.
    void Fill(int slot, int n) {
        const std::string name = "127.0.0.1/p" + std::to_string(n) + ".html";
        doc.m_strUrl[slot] = "http://" + name;
        doc.m_strLocalPath[slot] = dir / name;
        doc.m_nPageLength[slot] = n;
        doc.m_strTitle[slot] = "<b>T" + std::to_string(n) + "</b>";
        doc.m_strAbstract[slot] = "A" + std::to_string(n);
    }
    static std::string Row(int n) {
        const std::string name = "127.0.0.1/p" + std::to_string(n) + ".html";
        return BuildResultRow("http://" + name, name, n, "<b>T" + std::to_string(n) + "</b>",
                              "A" + std::to_string(n));
    }
    static std::string Rows(int from, int to) {
        std::string rows;
        for (int n = from; n <= to; ++n) {
            rows += Row(n);
        }
        return rows;
    }
    void Write(int n, int slot = 0) {
        Fill(slot, n);
        doc.WriteResultEntry(slot);
    }
    // A run resumed (or a worker finishing) after 7 rows of page 3.
    void InPage3After7Rows(unsigned state) {
        WriteFileBytes(dir / "ResultPage3.html", Rows(1, 7));
        doc.m_nResultPage = 3;
        doc.m_nResultsInPage = 7;
        doc.m_strResultPagePath = dir / "ResultPage3.html";
        doc.m_hResultFile = -1;
        doc.m_nState = state;
    }

    TempDir dir;
    LockCheckingTarget frame;
    LockCheckingTarget view;
    FillingDiskDoc doc;
};
}  // namespace

TEST_F(ResultWriterTest, FiftyRowsFillAPageAndTheNextRowBeginsTheNext) {
    Write(1);
    EXPECT_EQ(doc.m_strTitle[0], "");  // emptied once the row is built
    EXPECT_EQ(doc.m_strAbstract[0], "");
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage0.html"), Row(1));  // written through, not buffered
    for (int n = 2; n <= 49; ++n) {
        Write(n);
    }
    EXPECT_EQ(doc.m_nResultsInPage, 49);
    EXPECT_GE(doc.m_hResultFile, 0);

    Write(50);
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage0.html"), Rows(1, 50));
    EXPECT_EQ(doc.m_nResultPage, 1);
    EXPECT_EQ(doc.m_nResultsInPage, 0);
    EXPECT_EQ(doc.m_hResultFile, -1);
    EXPECT_FALSE(Exists(dir / "ResultPage1.html"));

    Write(51);
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage1.html"), Row(51));
    EXPECT_EQ(doc.m_strResultPagePath, dir / "ResultPage1.html");
    EXPECT_EQ(view.Texts(WM_NAVIGATE_VIEW), std::vector<std::string>{"http://127.0.0.1:4321/"});
    EXPECT_TRUE(frame.Messages().empty());
}

TEST_F(ResultWriterTest, ANewPageReplacesAnOldFileOfTheSameNumber) {
    WriteFileBytes(dir / "ResultPage0.html", Rows(1, 3));  // from an earlier, longer run
    Write(1);
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage0.html"), Row(1));
}

TEST_F(ResultWriterTest, AResumedRunAppendsToTheCurrentPage) {
    InPage3After7Rows(IDS_STATE_SEEKING);
    Write(8);
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage3.html"), Rows(1, 8));
    EXPECT_EQ(doc.m_nResultsInPage, 8);
    // The resumed run's first row shows the page it goes to, growing again.
    EXPECT_EQ(view.Texts(WM_NAVIGATE_VIEW),
              std::vector<std::string>{"http://127.0.0.1:4321/ResultPage3.html"});
    Write(9);
    EXPECT_EQ(view.Messages().size(), 1u);
    EXPECT_TRUE(frame.Messages().empty());
}

TEST_F(ResultWriterTest, ARowAfterTheRunStoppedDoesNotReopenTheClosedPage) {
    InPage3After7Rows(IDS_STATE_PAUSED);
    Write(8);
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage3.html"), Rows(1, 7));
    EXPECT_EQ(doc.m_nResultsInPage, 8);  // the lost row still counts
    EXPECT_TRUE(frame.Messages().empty());
    EXPECT_TRUE(view.Messages().empty());
}

// A page that cannot be created, or reopened after a resume, pauses the
// running task and is reported once, by the row that met it.
TEST_F(ResultWriterTest, AFileErrorWhileRunningPausesTheTaskOnce) {
    struct Case {
        const char* name;
        bool bResume;
        int error;
    };
    const Case cases[] = {{"creation", false, ENOTDIR}, {"reopen", true, ENOENT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir task;
        WriteFileBytes(task / "file", "a file where a folder should be");
        LockCheckingTarget taskFrame;
        taskFrame.m_pResults = &doc.m_csResults;
        doc.m_hWndMainFrame = &taskFrame;
        doc.m_bStop = false;
        doc.m_bActive[0] = true;  // the rows come from a worker of the running task
        doc.m_nResultsPerPage = 1;  // each later row would begin a new page
        std::string path;
        if (c.bResume) {
            InPage3After7Rows(IDS_STATE_SEEKING);
            doc.m_nResultsPerPage = 50;
            path = task / "gone/ResultPage3.html";  // the task's folder was moved
            doc.m_strResultPagePath = path;
        } else {
            doc.m_strTaskDir = task / "file/";
            doc.m_nState = IDS_STATE_SEEKING;
            doc.m_nResultPage = 0;
            doc.m_nResultsInPage = 0;
            path = task / "file/ResultPage0.html";
        }
        const int pageBefore = doc.m_nResultPage;
        const size_t navigations = view.Messages().size();
        Write(1);
        Write(2);

        EXPECT_EQ(doc.m_nState, IDS_STATE_PAUSED);
        EXPECT_TRUE(doc.m_bStop);
        EXPECT_EQ(doc.m_hResultFile, -1);
        EXPECT_EQ(taskFrame.Texts(WM_TASK_STATE), std::vector<std::string>{"Paused"});
        EXPECT_EQ(taskFrame.Texts(WM_FILE_ERROR), std::vector<std::string>{path});
        ASSERT_EQ(taskFrame.Messages().size(), 2u);
        EXPECT_EQ(taskFrame.Messages()[1].wParam, c.error);
        EXPECT_EQ(view.Messages().size(), navigations);
        EXPECT_EQ(taskFrame.m_nSentUnderLock, 0);
        if (c.bResume) {
            EXPECT_EQ(doc.m_nResultsInPage, 9);  // two lost rows, both counted
        } else {
            EXPECT_EQ(doc.m_nResultPage, pageBefore + 2);
        }
        doc.m_hWndMainFrame = &frame;
    }
}

TEST_F(ResultWriterTest, ARowThatFindsTheDiskFullPausesTheTaskAndIsCutOff) {
    doc.m_bActive[0] = true;  // the rows come from a worker of the running task
    Write(1);
    doc.m_nRoom = 100;  // less than a row
    Write(2);
    Write(3);
    EXPECT_EQ(ReadFileBytes(dir / "ResultPage0.html"), Row(1));
    EXPECT_EQ(doc.m_nState, IDS_STATE_PAUSED);
    EXPECT_TRUE(doc.m_bStop);
    EXPECT_EQ(frame.Texts(WM_TASK_STATE), std::vector<std::string>{"Paused"});
    EXPECT_EQ(frame.Texts(WM_FILE_ERROR), std::vector<std::string>{dir / "ResultPage0.html"});
    ASSERT_EQ(frame.Messages().size(), 2u);
    EXPECT_EQ(frame.Messages()[1].wParam, ENOSPC);
}

// Counters read from a file are brought within bounds when a run starts, and
// a resumed run appends to pages that hold rows already; a fresh start
// begins page 0 anew.
TEST_F(ResultWriterTest, CountersFromAFileAreBoundedAndAResumeCutsThePagesBackToThem) {
    struct Case {
        const char* name;
        unsigned nState;
        int nPage, nInPage, nPerPage;              // as read from the file
        int nWantPage, nWantInPage, nWantPerPage;  // as the run starts
        bool bPage3Stays;                          // below the current page, or the page itself
        int nKeptRows;                             // of the current page's 3 rows
    };
    const Case cases[] = {
        {"page below 0", IDS_STATE_PAUSED, -1, 0, 50, 0, 0, 50, false, 0},
        {"first row of a page that has rows", IDS_STATE_PAUSED, 0, 0, 50, 0, 0, 50, false, 0},
        {"last page number", IDS_STATE_PAUSED, INT_MAX, INT_MAX, 50, INT_MAX, 49, 50, true, 0},
        {"no rows per page", IDS_STATE_PAUSED, 2, 0, 0, 2, 0, 10, false, 0},
        {"too many rows per page", IDS_STATE_PAUSED, 1, 5000, 5000, 1, 999, 1000, false, 3},
        {"rows after the position", IDS_STATE_PAUSED, 3, 2, 50, 3, 2, 50, true, 2},
        {"fresh start", IDS_STATE_FINISHED, 3, 7, 50, 0, 0, 50, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int page = 0; page <= 3; ++page) {
            WriteFileBytes(dir / ("ResultPage" + std::to_string(page) + ".html"), Rows(1, 3));
        }
        doc.m_strStartAddress = "127.0.0.1/";
        doc.m_nState = c.nState;
        doc.m_nResultPage = c.nPage;
        doc.m_nResultsInPage = c.nInPage;
        doc.m_nResultsPerPage = c.nPerPage;
        doc.m_strResultPagePath = dir / "elsewhere.html";
        doc.PrepareRun();
        const std::string path = dir / ("ResultPage" + std::to_string(c.nWantPage) + ".html");
        EXPECT_EQ(doc.m_nResultPage, c.nWantPage);
        EXPECT_EQ(doc.m_nResultsInPage, c.nWantInPage);
        EXPECT_EQ(doc.m_nResultsPerPage, c.nWantPerPage);
        EXPECT_EQ(doc.m_strResultPagePath, path);
        // A fresh start removes the earlier run's later pages; a resume the
        // pages after its position, and then appends.
        EXPECT_EQ(Exists(dir / "ResultPage3.html"), c.bPage3Stays);

        doc.m_nState = IDS_STATE_SEEKING;
        Write(9);
        EXPECT_EQ(ReadFileBytes(path), (c.nKeptRows > 0 ? Rows(1, c.nKeptRows) : "") + Row(9));
        EXPECT_GE(doc.m_nResultPage, c.nWantPage);  // never wraps
    }
}

TEST_F(ResultWriterTest, ConcurrentWritersLeaveWholeRowsInPageOrder) {
    view.m_pResults = frame.m_pResults = nullptr;  // other writers hold the lock meanwhile
    constexpr int kPerSlot = 20;
    constexpr int kPerPage = 7;
    constexpr int kRows = SLOT_COUNT * kPerSlot;
    doc.m_nResultsPerPage = kPerPage;
    std::vector<std::thread> writers;
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        writers.emplace_back([this, slot] {
            for (int i = 0; i < kPerSlot; ++i) {
                Write(slot * kPerSlot + i + 1, slot);
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }

    EXPECT_EQ(doc.m_nResultPage, kRows / kPerPage);
    EXPECT_EQ(doc.m_nResultsInPage, kRows % kPerPage);
    std::map<std::string, int> expected;
    for (int n = 1; n <= kRows; ++n) {
        expected[Row(n)] = n;
    }
    std::map<int, int> seen;  // row number -> page
    const std::string rowEnd = "  </tr>\r\n";
    for (int page = 0; page <= kRows / kPerPage; ++page) {
        const std::string bytes =
            ReadFileBytes(dir / ("ResultPage" + std::to_string(page) + ".html"));
        int rows = 0;
        for (size_t start = 0; start < bytes.size(); ++rows) {
            const size_t end = bytes.find(rowEnd, start);
            ASSERT_NE(end, std::string::npos) << "page " << page << " ends inside a row";
            const auto found = expected.find(bytes.substr(start, end + rowEnd.size() - start));
            ASSERT_NE(found, expected.end()) << "page " << page << " holds a broken row";
            EXPECT_TRUE(seen.emplace(found->second, page).second) << "row " << found->second;
            start = end + rowEnd.size();
        }
        EXPECT_EQ(rows, page < kRows / kPerPage ? kPerPage : kRows % kPerPage) << page;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kRows));
    // Each slot's rows go out in its own order, so never to an earlier page.
    for (int n = 2; n <= kRows; ++n) {
        if ((n - 1) % kPerSlot != 0) {
            EXPECT_LE(seen[n - 1], seen[n]) << "row " << n;
        }
    }
    EXPECT_EQ(view.Texts(WM_NAVIGATE_VIEW).size(), 1u);
}
