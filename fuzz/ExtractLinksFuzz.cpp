// Feeds arbitrary pages through stripping and link extraction, as a worker
// does, and checks what gets queued: only URLs of the current site, each
// once (in either spelling of one request), none longer than the combiner
// allows, and hosts without "/".
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "common/Text.h"
#include "task/QuobrixDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CQuobrixDoc* doc = [] {
        auto* created = new CQuobrixDoc();
        created->m_bSiteMode = true;
        return created;
    }();
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The first byte picks the depth limit and the image filter.
    const unsigned char control = size > 0 ? data[0] : 0;
    doc->m_nDepth = control & 3;
    doc->m_bFilterImage = (control & 4) != 0;
    doc->m_strCurrentSite = "fuzz.example";
    doc->m_strUrl[0] = "http://fuzz.example/dir/page.html";
    doc->m_arrUrls = {doc->m_strUrl[0]};
    doc->m_nNextUrl = 1;
    doc->m_arrSites = {"fuzz.example"};
    doc->RebuildListIndexes();

    doc->m_strPage[0] = input;
    doc->StripPage(0);
    doc->ExtractLinks(0);

    const std::string root = "http://fuzz.example/";
    std::set<std::string> seen;
    for (const std::string& url : doc->m_arrUrls) {
        if (url.size() > 511 || !StartsWithNoCase(url, root)) {
            __builtin_trap();
        }
        if (url.find('#') != std::string::npos || !seen.insert(PercentEncodeUnsafe(url)).second) {
            __builtin_trap();
        }
    }
    for (const std::string& host : doc->m_arrSites) {
        if (host.empty() || host.find('/') != std::string::npos || host.size() > 259) {
            __builtin_trap();
        }
    }
    return 0;
}
