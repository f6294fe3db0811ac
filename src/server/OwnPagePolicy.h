#pragma once

#include <string>

// The Content-Security-Policy header line, CR LF included, that the server
// sends with the pages it makes itself (result pages, the 404 and 403 pages).
// Their titles, links and abstracts come from the web, so nothing in them may
// run: no script of any kind, images only from the server itself (the 404
// page names it as "http://127.0.0.1:PORT"), inline style (the 404 page has a
// style block). Links and navigation are not affected.
std::string OwnPagePolicyLine(int port);
