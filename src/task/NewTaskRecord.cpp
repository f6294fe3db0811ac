#include "task/NewTaskRecord.h"

#include <string_view>

#include "common/IpAddress.h"
#include "common/NumberText.h"
#include "common/Text.h"

namespace {
// The schemes a crawl fetches; a site address without one is fetched over
// the first.
constexpr std::string_view CRAWLED_SCHEMES[] = {"http", "https"};

// "ftp" of "ftp://host/", or "" when the text does not begin with a scheme
// name (a letter, then letters, digits, "+", "-" or ".") and "://".
std::string_view SchemeOf(std::string_view text) {
    const size_t mark = text.find("://");
    if (mark == std::string_view::npos || mark == 0) {
        return {};
    }
    const std::string_view name = text.substr(0, mark);
    const auto letter = [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    };
    if (!letter(name.front())) {
        return {};
    }
    for (const char ch : name) {
        if (!letter(ch) && !(ch >= '0' && ch <= '9') && ch != '+' && ch != '-' && ch != '.') {
            return {};
        }
    }
    return name;
}

bool IsCrawledScheme(std::string_view scheme) {
    for (const std::string_view crawled : CRAWLED_SCHEMES) {
        if (EqualsNoCase(crawled, scheme)) {
            return true;
        }
    }
    return false;
}
}  // namespace

std::optional<std::string> NormalizeInternetAddress(const std::string& typed) {
    std::string address = Trim(typed);
    if (StartsWithNoCase(address, "http://")) {
        address.erase(0, 7);
    } else if (StartsWithNoCase(address, "https://")) {
        address.replace(0, 8, "https://");  // the site keeps its scheme, in one spelling
    }
    if (address.empty()) {
        return std::nullopt;
    }
    return address;
}

std::string CrawlAddressProblem(const std::string& typed) {
    const std::string address = Trim(typed);
    std::string_view rest = address;
    const std::string_view scheme = SchemeOf(rest);
    if (!scheme.empty()) {
        if (!IsCrawledScheme(scheme)) {
            return std::string(scheme) +
                   ":// addresses cannot be searched; give an http:// or https:// address";
        }
        rest.remove_prefix(scheme.size() + 3);
    }
    const std::string_view second = SchemeOf(rest);
    if (!second.empty()) {
        return "the address holds a second scheme, \"" + std::string(second) + "://\"";
    }
    // As the crawl takes it: the host up to the first "/", an account up to
    // its last "@", a port after the first ":".
    std::string_view host = rest.substr(0, rest.find('/'));
    const size_t at = host.rfind('@');
    if (at != std::string_view::npos) {
        host.remove_prefix(at + 1);
    }
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        int value = 0;
        if (!CheckUnsignedText(port, 1, 65535, value).empty()) {
            return "the port \"" + std::string(port) + "\" is not a number from 1 to 65535";
        }
        host = host.substr(0, colon);
    }
    if (host.empty()) {
        return "the address has no host name";
    }
    return {};
}

std::string WithTaskExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > 0 ? path : path + ".qbx";
}

std::optional<CAddressRange> OrderAddressRange(const std::string& first, const std::string& last) {
    const std::optional<uint32_t> a = ParseDottedIp(Trim(first));
    const std::optional<uint32_t> b = ParseDottedIp(Trim(last));
    if (!a || !b) {
        return std::nullopt;
    }
    return CAddressRange{FormatDottedIp(*a < *b ? *a : *b), FormatDottedIp(*a < *b ? *b : *a)};
}
