// File system steps of the host classes, written to behave as the scripts' original
// platform does for them: copies and moves respect the program's own open handles and the
// read-only attribute, and files written whole are replaced in one step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin::host {

// A file (anything but a directory, links followed) exists at path.
bool IsExistingFile(std::string_view path);
// A directory exists at path (links followed).
bool IsExistingDirectory(std::string_view path);
// Last modification time of a file (not a directory), seconds since 1970 UTC.
std::optional<std::int64_t> FileModifiedTime(std::string_view path);

// True when one of the program's open handles holds the file in a mode that forbids
// another open of the given kind (exclusive: no handle may have it open at all).
bool IsLockedByOpenFile(std::string_view path, bool exclusive);

// Copies a file's bytes, permission bits and times over `to`, replacing an existing file
// only once the copy is complete. Fails for directories, for a read-only or busy target,
// for a busy source and when source and target are the same file.
bool CopyFileReplacing(std::string_view from, std::string_view to);
// Moves a file or directory to `to`, never replacing anything there; across file systems
// a file is copied and then deleted. Fails for a busy file.
bool MoveFileNoReplace(std::string_view from, std::string_view to);
// Deletes a file (not a directory); fails for a read-only or busy file.
bool DeleteFile(std::string_view path);

// Reads the whole file; nothing when it cannot be read or is no regular file (a pipe or a
// device is never read).
std::optional<std::string> ReadWholeFile(std::string_view path);
// Writes bytes as the file's whole content through a temporary sibling renamed over it,
// keeping an existing file's permission bits; a link is written through to its target.
// A special file (a device, a pipe with a reader) is written in place; a pipe without a
// reader fails at once. False on any failure, and then
// an existing file is unchanged.
bool WriteFileAtomically(std::string_view path, std::string_view bytes);

}  // namespace kestrin::host
