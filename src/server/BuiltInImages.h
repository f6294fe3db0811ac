#pragma once

#include <string_view>

// The images built into the program, found by their request name (compared without case).
struct CBuiltInImage {
    std::string_view m_name;
    std::string_view m_kind;  // "JPEG" or "GIF"
    std::string_view m_bytes;
};

// Nothing when no built-in image has that name. JPEG names are tried before GIF names.
const CBuiltInImage* FindBuiltInImage(std::string_view name);
