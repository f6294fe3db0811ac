#include <gtest/gtest.h>

#include <string>

#include "results/ResultRow.h"

TEST(ResultRow, IsTheFixedTextAroundTheFiveInserts) {
    const std::string expected =
        "  <tr> \r\n"
        "    <td bgcolor=\"#EEEEEE\" nowrap height=\"14\" width=\"6%\"> \r\n"
        "      <div align=\"center\"><a href=\"http://127.0.0.1/docs/a.html\">"
        "<img src=\"remote.jpg\" width=\"16\" height=\"16\" border=\"0\"></a>     </div>\r\n"
        "    </td>\r\n"
        "    <td bgcolor=\"#EEEEEE\" nowrap height=\"14\" width=\"6%\"> \r\n"
        "      <div align=\"center\"><a href=\"127.0.0.1/docs/a.html\">"
        "<img src=\"local.jpg\" width=\"16\" height=\"16\" border=\"0\"></a>     </div>\r\n"
        "    </td>\r\n"
        "    <td height=\"14\" width=\"6%\" bgcolor=\"#EEEEEE\"> \r\n"
        "      <div align=\"right\"><font size=\"1\" face=\"Verdana\" color=\"#000000\">-12"
        "</font></div>\r\n"
        "    </td>\r\n"
        "    <td height=\"14\" width=\"30%\" bgcolor=\"#EEEEEE\"> \r\n"
        "      <div align=\"left\"><font color=\"#000000\" face=\"Verdana\" size=\"1\">A page"
        "</font></div>\r\n"
        "    </td>\r\n"
        "    <td height=\"14\" width=\"52%\" bgcolor=\"#EEEEEE\"> \r\n"
        "      <div align=\"left\"><font color=\"#000000\" size=\"1\" face=\"Verdana\">"
        "some text</font></div>\r\n"
        "    </td>\r\n"
        "  </tr>\r\n";
    EXPECT_EQ(BuildResultRow("http://127.0.0.1/docs/a.html", "127.0.0.1/docs/a.html", -12, "A page",
                             "some text"),
              expected);
}

TEST(ResultRow, PageContentStaysInItsPlace) {
    struct Case {
        std::string url, localLink, title, abstract;  // as the page gave them
        std::string rowUrl, rowLocalLink, rowTitle;   // as the row holds them
    };
    const std::string red = "a <font color=\"#FF0000\">fish</font> & chips";
    const Case cases[] = {
        // Ordinary pages keep every byte, entities and the highlight included.
        {"http://h/?a=1&b=2", "h/index.html", "Fish &amp; chips > \"all\"", red,
         "http://h/?a=1&b=2", "h/index.html", "Fish &amp; chips > \"all\""},
        {"http://h/x\"><img src=y onerror=alert(1)>", "h/x\"><img src=y onerror=alert(1)>",
         "<img src=x onerror=alert(1)></font><script>alert(2)</script>", red,
         "http://h/x%22><img src=y onerror=alert(1)>", "h/x%22><img src=y onerror=alert(1)>",
         "&lt;img src=x onerror=alert(1)>&lt;/font>&lt;script>alert(2)&lt;/script>"},
    };
    for (const Case& c : cases) {
        const std::string row = BuildResultRow(c.url, c.localLink, 0, c.title, c.abstract);
        for (const std::string& place :
             {"<a href=\"" + c.rowUrl + "\"><img src=\"remote.jpg\"",
              "<a href=\"" + c.rowLocalLink + "\"><img src=\"local.jpg\"",
              "face=\"Verdana\" size=\"1\">" + c.rowTitle + "</font>",
              "size=\"1\" face=\"Verdana\">" + c.abstract + "</font>"}) {
            EXPECT_NE(row.find(place), std::string::npos) << place << "\n" << row;
        }
    }
}

TEST(ResultRow, LocalLinkIsThePathInsideTheTaskDirectory) {
    struct Case {
        const char* localPath;
        const char* taskDir;
        const char* link;
    };
    const Case cases[] = {
        {"/t/shop/127.0.0.1/docs/a.html", "/t/shop/", "127.0.0.1/docs/a.html"},
        {"/t/shop/host/", "/t/shop/", "host/"},
        // A site on another port: "127.0.0.3:18085/a.html" would read as a scheme.
        {"/t/shop/127.0.0.3:18085/a.html", "/t/shop/", "/127.0.0.3:18085/a.html"},
        {"/t/shop/Shop.Example:8080/docs/", "/t/shop/", "/Shop.Example:8080/docs/"},
        {"/t/shop/host/a:b.html", "/t/shop/", "host/a:b.html"},
        {"", "/t/shop/", ""},                      // the page was not stored
        {"/t/other/host/a.html", "/t/shop/", ""},  // outside the task directory
        {"/t/sh", "/t/shop/", ""},                 // shorter than the directory
        {"/t/shop/", "/t/shop/", ""},              // the directory itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResultLocalLink(c.localPath, c.taskDir), c.link) << c.localPath;
    }
}

TEST(ResultRow, RowsAreCountedWholeOnly) {
    const std::string row = BuildResultRow("http://h/a.html", "h/a.html", 5, "A", "text");
    const std::pair<std::string, int> cases[] = {
        {"", 0},
        {row, 1},
        {row + row + row, 3},
        {row + row.substr(0, row.size() - 3), 1},  // the last row cut short
    };
    for (const auto& [page, rows] : cases) {
        EXPECT_EQ(ResultRowCount(page), rows) << page.size();
    }
}
