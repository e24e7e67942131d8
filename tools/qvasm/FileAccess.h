#pragma once

#include <string>
#include <string_view>

namespace qvasm {

// Every file qvasm reads or replaces is a regular file. A named pipe would block the open until
// a writer comes, a device such as /dev/zero never ends, and replacing a device, pipe or socket
// with a regular file damages the system (as root it can turn /dev/null into a file).
namespace FileAccess {

enum class ReadResult { Ok, NotFound, NotRegular, TooLarge, Unreadable };

// Reads the whole of path when it is a regular file of at most maxBytes; never blocks, even on
// a pipe. On failure `why` holds the reason in a few words.
ReadResult readRegular(const std::string &path,
                       size_t maxBytes,
                       std::string &text,
                       std::string &why);

// Empty when path may be replaced by a regular file: it does not exist, or it is one (a
// symbolic link counts as what it points to); otherwise the reason it may not.
std::string refusalToReplace(const std::string &path);

// Replaces path with bytes through a new temporary file of a unique name in the same folder
// (created exclusively, so a planted link is never followed) and one rename, so a reader sees
// the old file or the new one and never half of it. An existing target keeps its permissions,
// and its owner and group as far as this user may give them (all of them as root).
// Nothing is left behind on failure, and `why` then says what went wrong.
bool replaceAtomically(const std::string &path, std::string_view bytes, std::string &why);

// path with its extension (after the last "." of the last component) replaced by ext, or with
// "." + ext appended when it has none.
std::string replaceExtension(const std::string &path, const std::string &ext);
// path made absolute and normal ("a/../b" is "b"); path itself when that fails.
std::string absolutePath(const std::string &path);

} // namespace FileAccess

} // namespace qvasm
