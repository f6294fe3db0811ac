#include <gtest/gtest.h>

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

// What a frame function sends, all pieces joined.
std::string Sent(const std::function<int(const SendFunction&)>& frame) {
    std::string bytes;
    EXPECT_EQ(frame([&](std::string_view piece) {
                  bytes += piece;
                  return true;
              }),
              1);
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
        EXPECT_EQ(Sent([&](const SendFunction& send) {
                      return c.bHead ? doc.SendResultPageHead(send, c.page)
                                     : doc.SendResultPageFoot(send, c.page);
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
        int sends = 0;
        const SendFunction send = [&](std::string_view) {
            ++sends;
            return false;
        };
        const int result = part == 0   ? doc.SendResultPageHead(send, 1)
                           : part == 1 ? doc.SendResultNavigation(send, 0, false)
                                       : doc.SendResultPageFoot(send, 1);
        EXPECT_EQ(result, 0) << part;
        EXPECT_EQ(sends, 1) << part;  // nothing more after the failed send
    }
}
