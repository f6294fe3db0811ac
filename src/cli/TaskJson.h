#pragma once

#include <string>

#include "task/TaskFields.h"

// The task file's fields as one JSON object, each under its member name, in
// file order; "slots" holds the fifteen slot blocks. Scripts rely on this
// form: add to it, never rename or remove.
std::string TaskToJson(const CTaskFields& task);
