#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// The numbered strings of resources/strings.def: IDS_STATE_IDLE, ID_TASK_PROPERTIES, ...
enum StringId : unsigned {
#define QB_STRING(id, name, text) name = id,
#include "strings.def"
#undef QB_STRING
};

// The text of a numbered string; an empty string for an unknown id.
// Safe to call from any thread; the reference stays valid for the whole run.
const std::string& LoadString(unsigned id);

using FormatArg = std::variant<int64_t, std::string>;

// Fills inserts in the message-formatting syntax: "%1" .. "%99" (the argument as text, a number
// printed in decimal), "%1!d!" (signed decimal), "%1!u!" (the number as an unsigned 32-bit
// decimal, so -1 prints 4294967295), "%1!x!" (unsigned 32-bit hexadecimal), "%1!s!" (as text);
// printf flags, width and precision may stand before the type ("%1!5d!"). "%%" gives "%".
// An insert whose argument is missing, or whose type is not one of these, is left as written.
// A string argument given to a number type prints as text.
std::string FormatMessage(std::string_view format, std::initializer_list<FormatArg> args);

// LoadString(id) then FormatMessage.
std::string FormatString(unsigned id, std::initializer_list<FormatArg> args);
