#pragma once

#include <string>
#include <vector>

// The remote link of every row in a task folder's result pages
// ("ResultPage0.html", ... up to the first missing one), page by page.
std::vector<std::vector<std::string>> ListedUrlsByPage(const std::string& taskDir);
// The same, all pages in one list.
std::vector<std::string> ListedUrls(const std::string& taskDir);
