#pragma once

#include <string>

// File helpers on POSIX paths. Failures return false with errno kept.

// Creates every directory along a path: each prefix that ends before a "/",
// from the first one on. Errors are ignored (a prefix that exists is fine; one
// that cannot be made shows up when the file is created).
void MakeDirectoriesAlong(const std::string& path);

// Reads a whole file into bytes.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces a file's contents so that the old contents survive any failure:
// the bytes go to a temporary file in the same folder, are flushed to disk,
// and the temporary file is renamed over the target. A new file gets the
// usual permissions (0666 less the umask); a replaced one keeps its mode.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// True when a file or directory of that name exists.
bool PathExists(const std::string& path);
