#include "results/FailureRecord.h"

#include <gtest/gtest.h>

#include "results/FailurePage.h"
#include "support/TempDir.h"

namespace {
const std::string kTime = "2026-05-01T12:34:56Z";
}  // namespace

TEST(FailureRecord, LinesReadBackAndOthersArePassedOver) {
    const CFailureEntry entry{kTime, {FailureReason::HttpStatus, 404}, "http://h/a b\r\n.html"};
    const std::string line = FailureRecordLine(entry);
    EXPECT_EQ(line, kTime + "\thttp-404\thttp://h/a b%0D%0A.html\n");
    const std::optional<CFailureEntry> read =
        ParseFailureRecordLine(line.substr(0, line.size() - 1));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->m_strTime, kTime);
    EXPECT_EQ(read->m_failure, entry.m_failure);
    EXPECT_EQ(read->m_strUrl, "http://h/a b%0D%0A.html");
    // A redirect's target is a field of its own.
    const CFailureEntry redirect{kTime, {FailureReason::Redirected, 0, "http://h/b\t/"}, "http://h/a"};
    EXPECT_EQ(FailureRecordLine(redirect), kTime + "\tredirected\thttp://h/a\thttp://h/b%09/\n");
    const std::optional<CFailureEntry> moved =
        ParseFailureRecordLine(kTime + "\tredirected\thttp://h/a\thttp://h/b/");
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->m_strUrl, "http://h/a");
    EXPECT_EQ(moved->m_failure.m_strTarget, "http://h/b/");

    for (const std::string& bad : std::vector<std::string>{
             "", "garbage", kTime + "\trefused", kTime + "\trefused\t",
             "2026-05-01 12:34:56Z\trefused\thttp://h/", kTime + "\t\thttp://h/"}) {
        EXPECT_FALSE(ParseFailureRecordLine(bad)) << bad;
    }
    EXPECT_EQ(FailureTimeText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(FailureTimeText(1777638896), kTime);
}

TEST(FailureRecord, ATornLastLineIsNotPartOfIt) {
    TempDir dir;
    WriteFileBytes(dir / FAILURE_RECORD_NAME, kTime + "\trefused\thttp://h/a\nnot a line\n" +
                                                  kTime + "\ttimed-out\thttp://h/b\n" + kTime +
                                                  "\treset\thttp://h/c");
    const std::vector<CFailureEntry> entries = ReadFailureRecord(dir.Path());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].m_strUrl, "http://h/a");
    EXPECT_EQ(entries[1].m_failure.m_reason, FailureReason::TimedOut);
    EXPECT_TRUE(ReadFailureRecord(dir / "none/").empty());
}

TEST(FailureRecord, SummaryLines) {
    const CPageFailure refused{FailureReason::Refused, 0};
    const CPageFailure gone{FailureReason::HttpStatus, 404};
    const CPageFailure broken{FailureReason::HttpStatus, 500};
    struct Case {
        std::vector<std::pair<CPageFailure, int>> counts;
        int requested;
        std::string expected;
    };
    const Case cases[] = {
        {{}, 0, "No page failed"},
        {{}, 7, "No page failed"},
        {{{gone, 1}}, 5, "1 page not retrieved: 1 HTTP 404"},
        {{{gone, 2}, {refused, 10}},
         40,
         "12 pages not retrieved: 10 connection refused, 2 HTTP 404"},
        {{{broken, 1}, {gone, 1}, {refused, 1}},
         9,
         "3 pages not retrieved: 1 connection refused, 1 HTTP 404, 1 HTTP 500"},
        {{{refused, 1}}, 1, "No page was retrieved: 1 connection refused"},
        {{{refused, 3}, {gone, 2}}, 5, "No page was retrieved: 3 connection refused, 2 HTTP 404"},
    };
    for (const Case& test : cases) {
        CFailureTally tally;
        for (const auto& [failure, count] : test.counts) {
            tally.Add(failure, count);
        }
        EXPECT_EQ(FormatFailureSummary(tally, test.requested), test.expected);
    }
    EXPECT_EQ(FormatOutagePause({FailureReason::NotResolved, 0}, "shop.invalid"),
              "Paused: not resolved (shop.invalid), 3 times in a row; the pages stay queued for "
              "the next run");
}

TEST(FailurePage, RowsKeepTheWebsUrlsInTheirPlace) {
    const std::string row =
        FailurePageRow({kTime, {FailureReason::Refused, 0}, "http://h/\"><script>x</script>"});
    EXPECT_NE(row.find("<a href=\"http://h/%22><script>x</script>\">"), std::string::npos) << row;
    EXPECT_NE(row.find(">http://h/\">&lt;script>x&lt;/script></a>"), std::string::npos) << row;
    EXPECT_NE(row.find("connection refused"), std::string::npos);
    EXPECT_NE(row.find(kTime), std::string::npos);
    EXPECT_NE(FailurePageHead().find("<title>Pages Not Retrieved</title>"), std::string::npos);
}
