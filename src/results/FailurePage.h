#pragma once

#include <string>

#include "results/FailureRecord.h"

// The page that lists the pages not retrieved, newest last, framed like the
// result pages but with a frame of its own. The local server answers it at
// "/" + FAILURE_PAGE_NAME.
constexpr char FAILURE_PAGE_NAME[] = "PagesNotRetrieved.html";

// Document start, banner and the table's headings (URL, Reason, Time).
std::string FailurePageHead();
// One row. The URL comes from the web: a '"' in its link is written "%22"
// and a "<" in its text "&lt;", as the result rows write them.
std::string FailurePageRow(const CFailureEntry& entry);
// The table's end and the document's.
std::string FailurePageFoot();
