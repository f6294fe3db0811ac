#include "results/ResultFrame.h"

#include <string>
#include <vector>

#include "common/AppOptions.h"
#include "common/SendAll.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr std::string_view kTableStart =
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
constexpr std::string_view kRule = "<img src=\"1pixel.jpg\" width=\"100%\" height=\"2\">\r\n";
constexpr std::string_view kBreak = "<br>";
constexpr std::string_view kBlockStart = "<div align=\"right\">";
constexpr std::string_view kBlockEnd = "</div>";
constexpr std::string_view kDocumentEnd = "</body></html>\r\n\r\n";

std::string PageName(int page) {
    return "ResultPage" + std::to_string(page) + ".html";
}

std::string DocumentStart(int page) {
    return "<html><head><title>Seek Result - Page" + std::to_string(page) + "</title></head><body>";
}

std::string PreviousLink(int page) {
    return "<a href=\"" + PageName(page - 1) +
           "\"><img src=\"previous.jpg\" width=\"21\" height=\"21\" hspace=\"10\" border=\"0\" "
           "alt=\"Goes to the previous search result page\"></a>\r\n";
}

// "nex" is the page's own wording.
std::string NextLink(int page) {
    return "<a href=\"" + PageName(page + 1) +
           "\"><img src=\"next.jpg\" width=\"21\" height=\"21\" hspace=\"10\" border=\"0\" "
           "alt=\"Goes to the nex search result page\"></a>\r\n";
}

// Sends the pieces in order, each whole; stops at the first failed send.
int SendPieces(const SendFunction& send, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces) {
        if (!send(piece)) {
            return 0;
        }
    }
    return 1;
}
}  // namespace

std::string ResultHomeBanner() {
    const std::string home(kVendorHomePage);
    return "<a href=\"" + home +
           "\" target=\"_blank\"><img src=\"banner1.gif\" width=\"200\" height=\"60\" "
           "border=\"0\" alt=\"" +
           home + "\"></a>\r\n";
}

int CQuobrixDoc::SendResultPageHead(const SendFunction& send, int page) {
    if (SendPieces(send, {DocumentStart(page)}) == 0 || SendResultNavigation(send, page, true) == 0) {
        return 0;
    }
    return SendPieces(send, {std::string(kTableStart)});
}

int CQuobrixDoc::SendResultNavigation(const SendFunction& send, int page, bool bTop) {
    // Read once: the server may ask while a row moves the task to a new page.
    const int current = m_nResultPage;
    const bool bBlock = !bTop && current > 0;  // the bottom one, only with several pages
    std::vector<std::string> pieces;
    if (bBlock) {
        pieces = {std::string(kBreak), std::string(kRule), std::string(kBlockStart)};
    }
    if (page > 0) {
        pieces.push_back(PreviousLink(page));
    }
    if (page < current) {
        pieces.push_back(NextLink(page));
    }
    if (bTop) {
        pieces.insert(pieces.end(), {ResultHomeBanner(), std::string(kRule), std::string(kBreak)});
    }
    if (bBlock) {
        pieces.emplace_back(kBlockEnd);
    }
    return SendPieces(send, pieces);
}

int CQuobrixDoc::SendResultPageFoot(const SendFunction& send, int page) {
    if (SendResultNavigation(send, page, false) == 0) {
        return 0;
    }
    return SendPieces(send, {std::string(kDocumentEnd)});
}
