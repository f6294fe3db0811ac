#include "server/BuiltInImages.h"

#include <cstddef>
#include <vector>

#include "common/Text.h"

// Written at build time from resources/images/ by cmake/EmbedFiles.cmake:
// quobrix_builtin_images::kEmbeddedFiles, each file's name and bytes.
#include "BuiltInImageData.inc"

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           StartsWithNoCase(text.substr(text.size() - suffix.size()), suffix);
}


std::string_view KindOf(std::string_view name) {
    if (EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg")) {
        return "JPEG";
    }
    if (EndsWithNoCase(name, ".gif")) {
        return "GIF";
    }
    return {};
}

// The embedded images, JPEG ones first, then GIF ones, each in build order.
const std::vector<CBuiltInImage>& Images() {
    static const std::vector<CBuiltInImage> images = [] {
        std::vector<CBuiltInImage> list;
        for (const std::string_view kind : {std::string_view("JPEG"), std::string_view("GIF")}) {
            for (const auto& file : quobrix_builtin_images::kEmbeddedFiles) {
                const std::string_view name(file.m_name);
                if (KindOf(name) == kind) {
                    list.push_back({name, kind,
                                    std::string_view(reinterpret_cast<const char*>(file.m_bytes),
                                                     file.m_size)});
                }
            }
        }
        return list;
    }();
    return images;
}

}  // namespace

const CBuiltInImage* FindBuiltInImage(std::string_view name) {
    for (const CBuiltInImage& image : Images()) {
        if (EqualsNoCase(image.m_name, name)) {
            return &image;
        }
    }
    return nullptr;
}
