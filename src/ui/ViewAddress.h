#pragma once

#include <string>

// Addresses the browser view's go-to dialogs build on the task's local
// server. The offline page's address is OfflineAddress's (ui/OfflineAddress.h),
// the same conversion as the address bar's.

// serverRoot ("http://127.0.0.1:PORT/") + "ResultPage" + page + ".html"
std::string ResultPageAddress(const std::string& serverRoot, int page);

// The page the result-page dialog goes to: the number entered, but never
// beyond the page being written (10 with 3 written gives 3; 0 stays 0).
int ChooseResultPage(unsigned entered, int resultPage);

// What the offline-page dialog starts with: the start address, with "http://"
// in front when it names no scheme ("example.com" -> "http://example.com").
std::string OfflineDialogPreset(const std::string& startAddress);
