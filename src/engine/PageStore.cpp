#include "engine/PageStore.h"

#include <algorithm>
#include <optional>

#include "common/Sha256.h"
#include "common/Text.h"
#include "engine/Url.h"

namespace {
constexpr size_t kFolderNameMax = 255;  // NAME_MAX of the usual file systems
constexpr size_t kFileNameMax = kFolderNameMax - COMPANION_SUFFIX.size();  // 247
constexpr size_t kMarkHexDigits = 16;
constexpr size_t kMarkSize = 1 + kMarkHexDigits;  // "~" + hex

bool IsDotSegment(std::string_view segment) {
    return segment == "." || segment == "..";
}

// True when any "/"-separated segment of path is "." or "..".
bool HasDotSegment(std::string_view path) {
    size_t begin = 0;
    while (begin <= path.size()) {
        const size_t end = std::min(path.find('/', begin), path.size());
        if (IsDotSegment(path.substr(begin, end - begin))) {
            return true;
        }
        begin = end + 1;
    }
    return false;
}

// Characters that would start a folder or are awkward in a file name.
bool IsReplacedInExtra(char ch) {
    switch (ch) {
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return false;
    }
}

bool EndsWithCompanionSuffix(std::string_view name) {
    return name.size() >= COMPANION_SUFFIX.size() &&
           EqualsNoCase(name.substr(name.size() - COMPANION_SUFFIX.size()), COMPANION_SUFFIX);
}

bool IsUtf8Continuation(char ch) {
    return (static_cast<unsigned char>(ch) & 0xC0) == 0x80;
}

// A name of at most limit bytes (at least the mark's) that stands for name:
// its longest prefix that leaves room for the mark, not cut inside a UTF-8
// character (a browser would turn the broken byte into another link), then
// "~" and the first hex digits of its SHA-256, the same on every machine.
std::string MarkedName(std::string_view name, size_t limit) {
    size_t keep = std::min(name.size(), limit - kMarkSize);
    while (keep > 0 && keep < name.size() && IsUtf8Continuation(name[keep])) {
        --keep;
    }
    return std::string(name.substr(0, keep)) + "~" +
           CSha256::HexDigest(name).substr(0, kMarkHexDigits);
}

bool NeedsMark(std::string_view name, size_t limit) {
    return name.size() > limit || EndsWithCompanionSuffix(name);
}

// The URL's parts, unless it cannot be split or names something outside the
// task directory.
std::optional<CUrlParts> StorableParts(std::string_view url) {
    // A zero byte would cut the path short when handed to the system.
    if (url.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::optional<CUrlParts> parts = CrackUrl(url);
    if (!parts || IsDotSegment(parts->m_strHost) ||
        parts->m_strHost.find('/') != std::string::npos || HasDotSegment(parts->m_strPath)) {
        return std::nullopt;
    }
    return parts;
}

// The stored copy's path below its site's folder: "/docs/a.html".
std::string PathInSite(const CUrlParts& parts) {
    // The folders, "/" or "/docs/", each kept as a name of its own.
    const std::string& urlPath = parts.m_strPath;
    const size_t nameBegin = urlPath.rfind('/') + 1;
    std::string folders = "/";
    for (size_t begin = 1; begin < nameBegin;) {
        const size_t end = urlPath.find('/', begin);
        const std::string_view folder = std::string_view(urlPath).substr(begin, end - begin);
        folders += NeedsMark(folder, kFolderNameMax) ? MarkedName(folder, kFolderNameMax)
                                                     : std::string(folder);
        folders += '/';
        begin = end + 1;
    }

    std::string name = urlPath.substr(nameBegin);
    if (name.empty()) {
        name = "index.html";
    }
    for (const char ch : parts.m_strExtra) {
        name += IsReplacedInExtra(ch) ? '-' : ch;
    }
    if (NeedsMark(name, kFileNameMax)) {
        // The local server finds a copy by mapping its path below the host as
        // a URL path, which has at most URL_PART_MAX bytes: the shortened name
        // stays within that where the folders leave room.
        const size_t room = URL_PART_MAX - std::min(folders.size(), URL_PART_MAX);
        name = MarkedName(name, std::clamp(room, kMarkSize, kFileNameMax));
    }
    return folders + name;
}
}  // namespace

std::string SiteFolderName(const CUrlParts& parts) {
    if (parts.m_nPort == DefaultPort(parts.m_strScheme)) {
        return parts.m_strHost;
    }
    return parts.m_strHost + ":" + std::to_string(parts.m_nPort);
}

std::string UrlToLocalPath(const std::string& taskDir, std::string_view url) {
    const std::optional<CUrlParts> parts = StorableParts(url);
    if (!parts) {
        return {};
    }
    return taskDir + SiteFolderName(*parts) + PathInSite(*parts);
}

std::string FindLocalPath(const std::string& taskDir, std::string_view url,
                          const std::function<bool(const std::string& path)>& exists) {
    const std::optional<CUrlParts> parts = StorableParts(url);
    if (!parts) {
        return {};
    }
    const std::string site = SiteFolderName(*parts);
    if (site == parts->m_strHost || exists(taskDir + site)) {
        return taskDir + site + PathInSite(*parts);
    }
    return taskDir + parts->m_strHost + PathInSite(*parts);
}

std::string CompanionPath(std::string_view storedPath) {
    std::string path(storedPath);
    path += COMPANION_SUFFIX;
    return path;
}
