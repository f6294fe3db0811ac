#include "server/NotFoundPage.h"

#include <cstdio>

#include "server/OwnPagePolicy.h"

namespace {
// Forty-two lines, each ending in CR LF, with the type line of the server's
// own pages third and their policy line after it; the two "%d" take the port.
constexpr char kNotFoundHead[] =
    "HTTP/1.0 404 Object Not Found\r\n"
    "Connection: close\r\n";
constexpr char kNotFoundFormat[] =
    "\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "<style>\r\n"
    "a:link\t\t\t{font:8pt/11pt verdana; color:red}\r\n"
    "a:visited\t\t{font:8pt/11pt verdana; color:#4e4e4e}\r\n"
    "</style>\r\n"
    "<meta HTTP-EQUIV=\"Content-Type\" Content=\"text-html; charset=Windows-1252\">\r\n"
    "<title>HTTP 404 Not Found</title>\r\n"
    "</head>\r\n"
    "<body bgcolor=\"white\">\r\n"
    "<table width=\"400\" cellpadding=\"3\" cellspacing=\"5\">\r\n"
    "  <tr>\r\n"
    "    <td id=\"tableProps\" valign=\"top\" align=\"left\"><img id=\"pagerrorImg\" SRC=\"http://127.0.0.1:%d/Quobrix.gif\"></td>\r\n"
    "    <td id=\"tableProps2\" align=\"left\" valign=\"middle\" width=\"360\"><h1 id=\"errortype\"    style=\"COLOR: black; FONT: 13pt/15pt verdana\"><span id=\"errorText\">The page cannot be found</span></h1>\r\n"
    "    </td>\r\n"
    " </tr>\r\n"
    "  <tr>\r\n"
    "    <td id=\"tablePropsWidth\" width=\"400\" colspan=\"2\"><font     style=\"COLOR: black; FONT: 8pt/11pt verdana\">The page you are looking for       might have not been retrieved by Quobrix, have been removed, had its name       changed, or is temporarily unavailable.</font></td>\r\n"
    "  </tr>\r\n"
    "  <tr>\r\n"
    "    <td id=\"tablePropsWidth2\" width=\"400\" colspan=\"2\"><font id=\"LID1\"     style=\"COLOR: black; FONT: 8pt/11pt verdana\"><hr color=\"#C0C0C0\" noshade>\r\n"
    "    <p id=\"LID2\">Please try the following:</p>\r\n"
    "      <ul>\r\n"
    "        <li id=\"list1\">If you typed the page address in the Address bar, make           sure that it is spelled correctly.<br>\r\n"
    "        </li>        <li id=\"list3\">Click the <a href=\"javascript:history.back(1)\"><img valign=bottom border=0 src=\"http://127.0.0.1:%d/back.gif\"> \r\n"
    "          Back</a> button to try another link. </li>\r\n"
    "        <li ID=\"list4\">Maybe Quobrix has put this link to it's request queue,           just wait it to be retrieved and then press F5 to reload the page.</li>\r\n"
    "      </ul>\r\n"
    "    <p><br>\r\n"
    "    </p>\r\n"
    "    <h2 id=\"ietext\" style=\"font:8pt/11pt verdana; color:black\"><b>HTTP 404 - File not found<br>\r\n"
    "        Quobrix Integrated Browser</b><BR>\r\n"
    "    </h2>\r\n"
    "    </font></td>\r\n"
    "  </tr>\r\n"
    "</table>\r\n"
    "</body>\r\n"
    "</html>\r\n";
}  // namespace

std::string NotFoundResponse(int port) {
    char text[sizeof kNotFoundFormat + 32];
    std::snprintf(text, sizeof text, kNotFoundFormat, port, port);
    return kNotFoundHead + std::string(kOwnPageTypeLine) + OwnPagePolicyLine(port) + text;
}
