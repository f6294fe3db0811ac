#include "results/ResultRow.h"

#include <string>

#include "common/Text.h"

namespace {
// The fixed text between the row's inserts, in order.
constexpr std::string_view kBeforeUrl =
    "  <tr> \r\n    <td bgcolor=\"#EEEEEE\" nowrap height=\"14\" width=\"6%\"> \r\n"
    "      <div align=\"center\"><a href=\"";
constexpr std::string_view kBeforeLocalLink =
    "\"><img src=\"remote.jpg\" width=\"16\" height=\"16\" border=\"0\"></a>     </div>\r\n"
    "    </td>\r\n    <td bgcolor=\"#EEEEEE\" nowrap height=\"14\" width=\"6%\"> \r\n"
    "      <div align=\"center\"><a href=\"";
constexpr std::string_view kBeforeLength =
    "\"><img src=\"local.jpg\" width=\"16\" height=\"16\" border=\"0\"></a>     </div>\r\n"
    "    </td>\r\n    <td height=\"14\" width=\"6%\" bgcolor=\"#EEEEEE\"> \r\n"
    "      <div align=\"right\"><font size=\"1\" face=\"Verdana\" color=\"#000000\">";
constexpr std::string_view kBeforeTitle =
    "</font></div>\r\n    </td>\r\n    <td height=\"14\" width=\"30%\" bgcolor=\"#EEEEEE\"> \r\n"
    "      <div align=\"left\"><font color=\"#000000\" face=\"Verdana\" size=\"1\">";
constexpr std::string_view kBeforeAbstract =
    "</font></div>\r\n    </td>\r\n    <td height=\"14\" width=\"52%\" bgcolor=\"#EEEEEE\"> \r\n"
    "      <div align=\"left\"><font color=\"#000000\" size=\"1\" face=\"Verdana\">";
constexpr std::string_view kRowEnd = "</font></div>\r\n    </td>\r\n  </tr>\r\n";

// A '"' would end the link's attribute; browsers send it as "%22" anyway.
void AppendLink(std::string& row, std::string_view link) {
    AppendReplacing(row, link, '"', "%22");
}
}  // namespace

std::string BuildResultRow(std::string_view url, std::string_view localLink, int pageLength,
                           std::string_view title, std::string_view abstract) {
    const std::string length = std::to_string(pageLength);
    std::string row;
    row.reserve(kBeforeUrl.size() + kBeforeLocalLink.size() + kBeforeLength.size() +
                kBeforeTitle.size() + kBeforeAbstract.size() + kRowEnd.size() + url.size() +
                localLink.size() + length.size() + title.size() + abstract.size());
    row.append(kBeforeUrl);
    AppendLink(row, url);
    row.append(kBeforeLocalLink);
    AppendLink(row, localLink);
    row.append(kBeforeLength).append(length);
    row.append(kBeforeTitle);
    AppendReplacing(row, title, '<', "&lt;");  // a "<" opens no tag
    // The abstract is plain text (no "<" survives the stripping) with our own
    // highlight markup around the keywords.
    row.append(kBeforeAbstract).append(abstract);
    row.append(kRowEnd);
    return row;
}

std::string ResultLocalLink(std::string_view localPath, std::string_view taskDir) {
    if (localPath.empty() || !localPath.starts_with(taskDir)) {
        return {};
    }
    const std::string_view link = localPath.substr(taskDir.size());
    // A site on another port, "127.0.0.3:18085/a.html", would read as a scheme
    // and its path: such a link begins at the server's root.
    if (link.find(':') < link.find('/')) {
        return "/" + std::string(link);
    }
    return std::string(link);
}

size_t ResultRowsLength(std::string_view page, int rows) {
    // Every row ends with kRowEnd, which the inserts do not hold: a title's
    // "<" is escaped, the abstract's only tags are our highlight markup and
    // a link holds no line break.
    size_t length = 0;
    for (int row = 0; row < rows; ++row) {
        const size_t end = page.find(kRowEnd, length);
        if (end == std::string_view::npos) {
            return std::string_view::npos;
        }
        length = end + kRowEnd.size();
    }
    return length;
}

int ResultRowCount(std::string_view page) {
    int rows = 0;
    for (size_t end = page.find(kRowEnd); end != std::string_view::npos;
         end = page.find(kRowEnd, end + kRowEnd.size())) {
        ++rows;
    }
    return rows;
}
