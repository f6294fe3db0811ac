#pragma once

#include <QString>
#include <concepts>
#include <cstdint>

#include "common/StringTable.h"

// The window's numbered strings (common/StringTable.h) as the widgets take them.

QString UiText(unsigned id);

namespace ui_text_detail {
inline FormatArg Arg(const QString& text) {
    return text.toStdString();
}
inline FormatArg Arg(const std::string& text) {
    return text;
}
template <std::integral Number>
FormatArg Arg(Number number) {
    return static_cast<int64_t>(number);
}
}  // namespace ui_text_detail

// The string id with its placeholders filled from args, in order: texts
// (QString or std::string) and whole numbers.
template <typename... Args>
QString UiFormat(unsigned id, const Args&... args) {
    return QString::fromStdString(FormatString(id, {ui_text_detail::Arg(args)...}));
}
