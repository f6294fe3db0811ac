#pragma once

#include <functional>
#include <string>
#include <string_view>

// File helpers on POSIX paths. Failures return false with errno kept.

// Creates every directory along a path: each prefix that ends before a "/",
// from the first one on. Errors are ignored (a prefix that exists is fine; one
// that cannot be made shows up when the file is created).
void MakeDirectoriesAlong(const std::string& path);

// Reads a whole file into bytes.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Writes all bytes to a descriptor, going on after short writes and EINTR.
bool WriteAll(int fd, std::string_view bytes);

// Replaces a file's contents so that the old contents survive any failure:
// the bytes go to a temporary file in the same folder, are flushed to disk,
// and the temporary file is renamed over the target. A new file gets the
// usual permissions (0666 less the umask); a replaced one keeps its mode.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
// The same with the contents written by writeContents into the temporary
// file's descriptor as they are made, so they are never held whole in
// memory; writeContents returns false, errno set, when it failed.
bool WriteFileAtomically(const std::string& path, const std::function<bool(int fd)>& writeContents);

// True when a file or directory of that name exists.
bool PathExists(const std::string& path);
