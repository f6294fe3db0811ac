#pragma once

#include <string>
#include <string_view>

// The link in a link attribute's value text, as the crawler and the offline
// rewriting read it from between the "=" and the tag's ">": carriage
// returns, line feeds and tabs count as spaces and white space around it is
// dropped. A value quoted with "'" or "\"" runs to the next quote of the same
// kind, so the other kind stays in the link ("it's.html"); an unquoted value
// runs to the first space. Empty when there is no value or its quote is not
// closed.
std::string LinkOfValue(std::string_view text);

// The end of the quoted value that starts at text[start] ("'" or "\""): the
// position of its closing quote, npos when none; npos too when text[start]
// is no quote.
size_t ClosingQuote(std::string_view text, size_t start);
