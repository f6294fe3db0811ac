// Arbitrary request bytes through the local server's request reading and
// name classification: no crash, and the results stay consistent.
#include <cstddef>
#include <cstdint>
#include <string>

#include "server/RequestParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view request(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> path = RequestPath(request);
    if (!path) {
        return 0;
    }
    if (path->empty() || path->find(' ') != std::string::npos || request.find(*path) == std::string::npos) {
        __builtin_trap();
    }
    const std::string name = path->substr(1);
    const CRequestTarget target = ClassifyName(name);
    if (target.m_kind == CRequestTarget::Kind::ResultPage) {
        if (target.m_nPage < 0 || (name.empty() ? target.m_strFileName != "ResultPage0.html"
                                                : target.m_strFileName != name) ||
            target.m_strFileName.find('/') != std::string::npos) {
            __builtin_trap();
        }
    }
    const std::string extension = ExtensionOf(name);
    if (!extension.empty() && (extension[0] != '.' || !name.ends_with(extension))) {
        __builtin_trap();
    }
    return 0;
}
