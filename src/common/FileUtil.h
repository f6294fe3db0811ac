#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// File helpers on POSIX paths. Failures return false with errno kept.

// Creates every directory along a path: each prefix that ends before a "/",
// from the first one on. Errors are ignored (a prefix that exists is fine; one
// that cannot be made shows up when the file is created). pCreated, when
// given, gets the directories this call made, outermost first.
void MakeDirectoriesAlong(const std::string& path, std::vector<std::string>* pCreated = nullptr);

// Writes all bytes to a descriptor, going on after short writes and EINTR.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

// Reads a whole file into bytes.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The file a path finally names: symbolic links at its end are followed, one
// after the other, as opening it would ("tasks/shop.qbx" -> a link to
// "../archive/shop.qbx" gives "tasks/../archive/shop.qbx"). A path that names
// nothing, or no link, is its own target. False with ELOOP for a loop.
bool ResolveLinks(const std::string& path, std::string& target);

// Replaces a file's contents so that the old contents survive any failure:
// the bytes go to a temporary file in the same folder, are flushed to disk,
// the temporary file is renamed over the target and the folder is flushed.
// A symbolic link is written through, to the file it names. A new file gets
// newFileMode less the umask; a replaced one keeps its owner, group and mode.
// Refused, with EACCES, when the file exists but is read-only (no write
// permission bit at all, or none for this user); with EPERM when its owner
// or group cannot be kept.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, const std::string& bytes,
                                       mode_t newFileMode = 0666);
// The same with the contents written by writeContents into the temporary
// file's descriptor as they are made, so they are never held whole in
// memory; writeContents returns false, errno set, when it failed.
[[nodiscard]] bool WriteFileAtomically(const std::string& path,
                                       const std::function<bool(int fd)>& writeContents,
                                       mode_t newFileMode = 0666);

// True when a file or directory of that name exists.
bool PathExists(const std::string& path);
