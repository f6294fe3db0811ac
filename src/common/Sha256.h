#pragma once

#include <string>
#include <string_view>

// SHA-256 (FIPS 180-4), for fingerprints that must not give back what they
// were taken of.
class CSha256 {
public:
    // The digest as 64 lower-case hex digits:
    // "abc" -> "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
    static std::string HexDigest(std::string_view data);
};
