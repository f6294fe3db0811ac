#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/SendAll.h"

// What the rewriting of stored pages needs from the task.
struct CRewriteSettings {
    std::string m_strTaskDir;  // ends with "/"
    bool m_bRecolorLinks = true;
    uint32_t m_crLinkColor = 0;  // 0x00BBGGRR
    // Whether a stored copy (the path already cut before its first "#") or a site's folder
    // exists at a path. Called on the connection's thread while workers may be storing pages.
    std::function<bool(const std::string& path)> m_fnExists;
    // https:// links lead to stored copies too: the task crawls HTTPS sites.
    // Off, a task of plain sites shows its pages as it always did.
    bool m_bHttpsLinks = false;
    // The page came from an HTTPS site: its relative links are https:// ones.
    bool m_bHttpsPage = false;
};

// The rewriting of one stored page on its way to the browser view, chunk by
// chunk: links to stored pages lead to the local server ("/host/docs/a.html",
// "/host:8080/a.html"), other links to their absolute address, "_blank"
// targets become "_self", window-closing links are disarmed, and the text of
// links to stored pages is wrapped in the task's link colour. Pure: it reads
// and sends nothing itself.
// A page's bytes pass through unchanged where nothing is rewritten, zero bytes
// included; once a chunk's text passes 64 KiB (hostile nesting), the rest of
// that chunk goes out unchanged.
class CPageRewriter {
public:
    // requestPath: the path as the client sent it, with its leading "/" ("/host/docs/a.html").
    CPageRewriter(CRewriteSettings settings, std::string requestPath);

    // False when the request path has no "/" after its first character: then nothing is sent.
    [[nodiscard]] bool IsValid() const;

    // Rewrites one chunk read from the file (at most 4096 bytes). consumed: how many of those
    // bytes were used (more than 0 unless the chunk is empty); the next chunk is read from
    // (this chunk's offset + consumed). Returns the text to send.
    std::string RewriteChunk(std::string_view chunk, size_t& consumed) const;

private:
    // Skip: the tag stays; Remote: the absolute address, never coloured; Local: the
    // stored copy; Disarmed: a window-closing link, whose tag becomes "<a>".
    enum class ELink { Skip, Remote, Local, Disarmed };

    void RewriteText(std::string& text, size_t pageBytes) const;
    ELink NewLinkOf(const std::string& combined, std::string& newLink) const;

    CRewriteSettings m_settings;
    bool m_bValid = false;
    std::string m_strBase;      // "http://host/docs/a.html"
    std::string m_strColorTag;  // "<font color=\"#00FF00\">"
};

// Reads the open file from its start in chunks of up to 4096 bytes, rewrites and sends each.
// Stops at a failed read, a failed send or the end. Sends nothing when the request path is not
// valid. Called on the connection's own thread.
void SendRewrittenPage(const SendFunction& send, int file, const std::string& requestPath,
                       const CRewriteSettings& settings);
