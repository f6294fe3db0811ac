#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Resolving the links found in a page against the page's own URL.

// Resolves a reference found in a page against the page's absolute URL, as a
// browser does (RFC 3986 section 5.2). A reference whose scheme equals the
// base's, ignoring case, is resolved as relative ("http:g" against
// "http://a/b/c/d;p?q" gives "http://a/b/c/g"); a reference with another
// scheme ("mailto:x", "https://h/") comes back as written. Characters are
// never encoded or decoded; everything after "?" or "#" stays as written,
// spaces included; dot segments are removed from the path only. Scheme and
// host keep their case as written. Nothing when the base has no scheme or the
// result would be longer than maxLength characters (511 for link extraction,
// 259 for page rewriting).
std::optional<std::string> CombineUrl(std::string_view base, std::string_view reference,
                                      size_t maxLength = 511);
