#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "results/ResultFrame.h"
#include "task/QuobrixDoc.h"

namespace {
const std::string kTableStart =
    "\t\t<table width=\"100%\" cellspacing=\"2\" cellpadding=\"0\">\r\n"
    "  <tr> \r\n"
    "    <td bgcolor=\"#003399\" nowrap height=\"14\" colspan=\"2\"> \r\n"
    "      <div align=\"center\"><b><font size=\"1\" color=\"#FFFFFF\" "
    "face=\"Verdana\">URL</font></b></div>\r\n"
    "    </td>\r\n"
    "    <td height=\"28\" width=\"6%\" bgcolor=\"#003399\" rowspan=\"2\"> \r\n"
    "      <div align=\"center\"><b><font size=\"1\" face=\"Verdana\" "
    "color=\"#FFFFFF\">Size</font></b></div>\r\n"
    "    </td>\r\n"
    "    <td height=\"28\" width=\"30%\" bgcolor=\"#003399\" rowspan=\"2\"> \r\n"
    "      <div align=\"center\"><b><font color=\"#FFFFFF\" face=\"Verdana\" "
    "size=\"1\">Title</font></b></div>\r\n"
    "    </td>\r\n"
    "    <td height=\"28\" width=\"52%\" bgcolor=\"#003399\" rowspan=\"2\"> \r\n"
    "      <div align=\"center\"><b><font color=\"#FFFFFF\" size=\"1\" "
    "face=\"Verdana\">Abstract</font></b></div>\r\n"
    "    </td>\r\n"
    "  </tr>\r\n"
    "  <tr> \r\n"
    "    <td bgcolor=\"#003399\" nowrap height=\"14\" width=\"6%\"> \r\n"
    "      <div align=\"center\"><font face=\"Verdana\" size=\"1\"><font "
    "color=\"#FFFFFF\"><b>Remote</b></font></font></div>\r\n"
    "    </td>\r\n"
    "    <td bgcolor=\"#003399\" nowrap height=\"14\" width=\"6%\"> \r\n"
    "      <div align=\"center\"><font color=\"#FFFFFF\" size=\"1\" "
    "face=\"Verdana\"><b>Local</b></font></div>\r\n"
    "    </td>\r\n"
    "  </tr>\r\n";
const std::string kBanner =
    "<a href=\"https://quobrix.dunvespil.org/\" target=\"_blank\"><img src=\"banner1.gif\" "
    "width=\"200\" height=\"60\" border=\"0\" alt=\"https://quobrix.dunvespil.org/\"></a>\r\n";
const std::string kRule = "<img src=\"1pixel.jpg\" width=\"100%\" height=\"2\">\r\n";
const std::string kBlock = "<div align=\"right\">";
const std::string kEnd = "</body></html>\r\n\r\n";

std::string Previous(int target) {
    return "<a href=\"ResultPage" + std::to_string(target) +
           ".html\"><img src=\"previous.jpg\" width=\"21\" height=\"21\" hspace=\"10\" "
           "border=\"0\" alt=\"Goes to the previous search result page\"></a>\r\n";
}

std::string Next(int target) {
    return "<a href=\"ResultPage" + std::to_string(target) +
           ".html\"><img src=\"next.jpg\" width=\"21\" height=\"21\" hspace=\"10\" border=\"0\" "
           "alt=\"Goes to the nex search result page\"></a>\r\n";
}

// What a frame function sends on one end of a socket pair; the pieces fit in
// the pair's buffer, so no reader has to run meanwhile.
std::string Sent(const std::function<int(int, bool*)>& send) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
        ADD_FAILURE() << "socketpair";
        return {};
    }
    bool closed = true;
    EXPECT_EQ(send(pair[0], &closed), 1);
    EXPECT_FALSE(closed);
    close(pair[0]);
    std::string bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pair[1], buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(pair[1]);
    return bytes;
}
}  // namespace

TEST(ResultFrame, HeadAndFootAsTheCurrentPageAndThePageAskedForRequire) {
    struct Case {
        const char* name;
        int current;  // m_nResultPage
        int page;
        bool bHead;
        std::string expected;
    };
    const Case cases[] = {
        {"head, single page", 0, 0, true,
         "<html><head><title>Seek Result - Page0</title></head><body>" + kBanner + kRule + "<br>" +
             kTableStart},
        {"head, page 1 of 3", 2, 1, true,
         "<html><head><title>Seek Result - Page1</title></head><body>" + Previous(0) + Next(2) +
             kBanner + kRule + "<br>" + kTableStart},
        {"foot, single page", 0, 0, false, kEnd},
        {"foot, first of 2", 1, 0, false, "<br>" + kRule + kBlock + Next(1) + "</div>" + kEnd},
        {"foot, last of 3", 2, 2, false, "<br>" + kRule + kBlock + Previous(1) + "</div>" + kEnd},
    };
    for (const Case& c : cases) {
        CQuobrixDoc doc;
        doc.m_nResultPage = c.current;
        EXPECT_EQ(Sent([&](int sock, bool* pClosed) {
                      return c.bHead ? doc.SendResultPageHead(sock, c.page, pClosed)
                                     : doc.SendResultPageFoot(sock, c.page, pClosed);
                  }),
                  c.expected)
            << c.name;
    }
    EXPECT_EQ(kResultTableReopen, "<table width=\"100%\" cellspacing=\"2\" cellpadding=\"0\">");
    EXPECT_EQ(kResultTableEnd, "</table>");
}

TEST(ResultFrame, ASendToAClosedPeerFails) {
    CQuobrixDoc doc;
    doc.m_nResultPage = 1;
    for (int part = 0; part < 3; ++part) {
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        close(pair[1]);
        bool closed = true;
        const int result = part == 0   ? doc.SendResultPageHead(pair[0], 1, &closed)
                           : part == 1 ? doc.SendResultNavigation(pair[0], 0, false, &closed)
                                       : doc.SendResultPageFoot(pair[0], 1, &closed);
        EXPECT_EQ(result, 0) << part;
        EXPECT_FALSE(closed) << part;  // a first send that fails leaves the socket open
        EXPECT_EQ(close(pair[0]), 0);
    }
}
