#include "task/NewTaskRecord.h"

#include "common/IpAddress.h"
#include "common/Text.h"

std::optional<std::string> NormalizeInternetAddress(const std::string& typed) {
    std::string address = Trim(typed);
    if (StartsWithNoCase(address, "http://")) {
        address.erase(0, 7);
    }
    if (address.empty()) {
        return std::nullopt;
    }
    return address;
}

std::optional<CAddressRange> OrderAddressRange(const std::string& first, const std::string& last) {
    const std::optional<uint32_t> a = ParseDottedIp(Trim(first));
    const std::optional<uint32_t> b = ParseDottedIp(Trim(last));
    if (!a || !b) {
        return std::nullopt;
    }
    return CAddressRange{FormatDottedIp(*a < *b ? *a : *b), FormatDottedIp(*a < *b ? *b : *a)};
}
