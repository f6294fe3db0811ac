#pragma once

#include <string>
#include <string_view>

// Standard Base64: alphabet "A"-"Z", "a"-"z", "0"-"9", "+", "/", padded with
// "=" to a multiple of four, no line breaks. Credentials are kept in this
// form ("user:secret" -> "dXNlcjpzZWNyZXQ=") and sent after "Basic ".
class CBase64 {
public:
    static std::string Encode(std::string_view data);
    // True for text of that form only: whole groups of four from the
    // alphabet, "=" only as the padding of the last group. Empty is valid.
    static bool IsValid(std::string_view text);
};
