#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reading the header of an HTTP/1.0 response and the task's file filters.
// Functions taking lowerHeader expect the header already in lower case.

// Index just after the blank line that ends a header: after the first
// "\r\n\r\n"; when there is none, after the first "\n\n"; npos when neither.
size_t FindHeaderEnd(std::string_view text);

// The three characters after the first space ("HTTP/1.0 200 OK" -> 200) as a
// decimal number; -1 when there is no space or they are not three digits.
int StatusCode(std::string_view header);

// The value of the "content-length:" line (spaces after the colon optional),
// read whole and saturating at UINT32_MAX; nothing when there is no such line
// or its value does not start with a digit. "content-length: 0" is 0.
std::optional<uint32_t> ContentLength(std::string_view lowerHeader);

// The value of the "content-type:" line (spaces after the colon optional) up
// to the end of its line, without the "\r": "text/html; charset=utf-8".
std::optional<std::string> ContentType(std::string_view lowerHeader);

// 301, 302, 303, 307 and 308: the answers that send the client elsewhere.
bool IsRedirectStatus(int status);

// The "Location:" value of a header as received (the name without regard to
// case, the value in its own case), trimmed; nothing when absent or empty.
std::optional<std::string> Location(std::string_view header);

enum class FileClass { Text, Image, Others };

struct CFileKind {
    FileClass m_class;
    bool m_bNotHtml;  // true: stored, but not a page to analyse
};

// "image..." -> Image; "text/html", "text/plain" -> Text to analyse; any other
// "text" (style sheets, scripts) -> Text not analysed; the rest -> Others.
CFileKind ClassifyContentType(std::string_view contentType);

// True when a file of a class must be refused: its filter is off, or its limit
// in K bytes (0 or negative = no limit) is exceeded by the announced length.
bool RejectedByFilter(bool bFilterOn, int nLimitK, uint64_t length);
