#pragma once

#include <cstdint>
#include <optional>
#include <string>

// IPv4 addresses in dotted form ("10.0.0.5") and as 32-bit numbers in host
// order (the first number most significant), as the address-range source
// counts them.

// Strict parse: four decimal numbers 0..255 separated by dots, nothing else.
std::optional<uint32_t> ParseDottedIp(const std::string& text);

// "%d.%d.%d.%d" of the four bytes.
std::string FormatDottedIp(uint32_t address);
