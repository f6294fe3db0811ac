#pragma once

#include <string>

// The Content-Security-Policy header line, CR LF included, that the server
// sends with the pages it makes itself (result pages, the 404, 403 and 400
// pages). Their titles, links and abstracts come from the web, so nothing in
// them may run: no script of any kind, images only from the server itself
// (the 404 page names it as "http://127.0.0.1:PORT"), inline style (the 404
// page has a style block). Links and navigation are not affected.
std::string OwnPagePolicyLine(int port);

// The content type line, CR LF included, of every page the server makes
// itself: their texts are UTF-8, and titles from the web must show as such.
inline constexpr char kOwnPageTypeLine[] = "Content-Type: text/html; charset=utf-8\r\n";

// The Content-Security-Policy header line, CR LF included, that goes with
// every stored copy, HTML or not. Its scripts may run for offline reading,
// but in a sandbox without "allow-same-origin", that is in an origin of their
// own: they cannot read the results, another site's stored pages, or
// anything else the server sends.
inline constexpr char kStoredCopyPolicyLine[] =
    "Content-Security-Policy: sandbox allow-scripts allow-forms allow-popups\r\n";
