// Feeds arbitrary pages through the rewriting of stored pages, chunk by chunk
// as the local server reads them, and checks that every chunk makes progress
// within its bytes, that its growth stays bounded, and that a chunk without a
// link keyword passes unchanged. A scan that never ends shows as -timeout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/TextSearch.h"
#include "server/PageRewriter.h"

namespace {
const CPageRewriter* MakeRewriter(bool recolor) {
    CRewriteSettings settings;
    settings.m_strTaskDir = "/fuzz/task/";
    settings.m_bRecolorLinks = recolor;
    settings.m_crLinkColor = 0x00336699;
    // Both branches: some links count as stored, the others go to the web.
    settings.m_fnExists = [](const std::string& path) { return path.size() % 2 == 0; };
    return new CPageRewriter(settings, "/host/dir/page.html");
}

const char* const kKeywords[] = {"href", " src", "background", "\nsrc", "\rsrc", "\tsrc"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CPageRewriter* const recoloring = MakeRewriter(true);
    static const CPageRewriter* const plain = MakeRewriter(false);
    const CPageRewriter* rewriter = size > 0 && (data[0] & 1) != 0 ? plain : recoloring;
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    size_t offset = 0;
    while (offset < page.size()) {
        const std::string_view chunk = page.substr(offset, 4096);
        size_t consumed = 0;
        const std::string text = rewriter->RewriteChunk(chunk, consumed);
        if (consumed == 0 || consumed > chunk.size() || text.size() > 1024 * 1024) {
            __builtin_trap();
        }
        const std::string_view used = chunk.substr(0, consumed);
        if (FindAnyNoCase(used, kKeywords, 6, 0) < 0 && text != used) {
            __builtin_trap();
        }
        offset += consumed;
    }
    size_t consumed = 1;
    if (!rewriter->RewriteChunk({}, consumed).empty() || consumed != 0) {
        __builtin_trap();
    }
    return 0;
}
