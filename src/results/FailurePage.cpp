#include "results/FailurePage.h"

#include <string_view>

#include "common/Text.h"
#include "results/ResultFrame.h"

namespace {
constexpr std::string_view kDocumentStart =
    "<html><head><meta charset=\"utf-8\"><title>Pages Not Retrieved</title></head><body>";
constexpr std::string_view kRuleAndBreak =
    "<img src=\"1pixel.jpg\" width=\"100%\" height=\"2\">\r\n<br>";
constexpr std::string_view kTableStart =
    "\t\t<table width=\"100%\" cellspacing=\"2\" cellpadding=\"0\">\r\n"
    "  <tr> \r\n"
    "    <td height=\"14\" width=\"62%\" bgcolor=\"#003399\"> \r\n"
    "      <div align=\"center\"><b><font size=\"1\" color=\"#FFFFFF\" "
    "face=\"Verdana\">URL</font></b></div>\r\n"
    "    </td>\r\n"
    "    <td height=\"14\" width=\"22%\" bgcolor=\"#003399\"> \r\n"
    "      <div align=\"center\"><b><font size=\"1\" color=\"#FFFFFF\" "
    "face=\"Verdana\">Reason</font></b></div>\r\n"
    "    </td>\r\n"
    "    <td height=\"14\" width=\"16%\" bgcolor=\"#003399\"> \r\n"
    "      <div align=\"center\"><b><font size=\"1\" color=\"#FFFFFF\" "
    "face=\"Verdana\">Time (UTC)</font></b></div>\r\n"
    "    </td>\r\n"
    "  </tr>\r\n";
constexpr std::string_view kCellStart =
    "    <td height=\"14\" bgcolor=\"#EEEEEE\"> \r\n"
    "      <div align=\"left\"><font color=\"#000000\" face=\"Verdana\" size=\"1\">";
constexpr std::string_view kCellEnd = "</font></div>\r\n    </td>\r\n";
constexpr std::string_view kDocumentEnd = "</table></body></html>\r\n\r\n";
}  // namespace

std::string FailurePageHead() {
    return std::string(kDocumentStart) + ResultHomeBanner() + std::string(kRuleAndBreak) +
           std::string(kTableStart);
}

std::string FailurePageRow(const CFailureEntry& entry) {
    std::string row = "  <tr> \r\n";
    row.append(kCellStart).append("<a href=\"");
    AppendReplacing(row, entry.m_strUrl, '"', "%22");
    row.append("\">");
    AppendReplacing(row, entry.m_strUrl, '<', "&lt;");
    row.append("</a>").append(kCellEnd);
    row.append(kCellStart).append(FailureText(entry.m_failure)).append(kCellEnd);
    row.append(kCellStart).append(entry.m_strTime).append(kCellEnd);
    row.append("  </tr>\r\n");
    return row;
}

std::string FailurePageFoot() {
    return std::string(kDocumentEnd);
}
