#include "common/IpAddress.h"

std::optional<uint32_t> ParseDottedIp(const std::string& text) {
    uint32_t address = 0;
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        unsigned value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return std::nullopt;
        }
        address = (address << 8) | value;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return address;
}

std::string FormatDottedIp(uint32_t address) {
    return std::to_string((address >> 24) & 255) + "." + std::to_string((address >> 16) & 255) +
           "." + std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}
