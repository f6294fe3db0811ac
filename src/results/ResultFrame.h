#pragma once

#include <string>
#include <string_view>

// Pieces of a served result page that the local server sends itself, around
// the rows that arrive while the page is streamed. The rest of the frame is
// sent by CQuobrixDoc::SendResultPageHead and SendResultPageFoot.
inline constexpr std::string_view kResultTableReopen =
    "<table width=\"100%\" cellspacing=\"2\" cellpadding=\"0\">";
inline constexpr std::string_view kResultTableEnd = "</table>";

// The banner that links to the vendor's home page, at the top of the pages
// the server frames.
std::string ResultHomeBanner();
