#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One row of a result page file, for one analysed page. Page content stays
// in its place: a '"' in the URL or the local link is written "%22", a "<" in
// the title "&lt;"; the rest goes in as it is (entities in a title still show
// as their characters). The abstract goes in unchanged: it is plain text that
// holds no "<" but in its own highlight markup.
std::string BuildResultRow(std::string_view url, std::string_view localLink, int pageLength,
                           std::string_view title, std::string_view abstract);

// The row's local link: the stored copy's path relative to the task
// directory ("/t/shop/" + "127.0.0.1/docs/a.html" -> "127.0.0.1/docs/a.html"),
// root-relative for a site on another port, whose folder name holds a ":"
// ("/127.0.0.1:8080/docs/a.html"). Empty when the page has no stored path or
// it lies outside the task directory.
std::string ResultLocalLink(std::string_view localPath, std::string_view taskDir);

// The length of the first rows rows of a result page file's bytes; npos when
// it holds fewer whole rows.
size_t ResultRowsLength(std::string_view page, int rows);

// The number of whole rows in a result page file's bytes; a row cut short
// (a write that was interrupted) does not count.
int ResultRowCount(std::string_view page);
