#pragma once

#include <cstddef>
#include <string>

namespace qvasm {

// Reads sources and finds include files on disk. The snippet entry point and tests replace it
// to assemble without touching the file system.
class SourceLoader
{
public:
    static constexpr size_t MaxFileBytes = 16u * 1024 * 1024;

    enum class ReadResult { Ok, NotFound, Unreadable, TooLarge, NotRegular };

    virtual ~SourceLoader() = default;

    virtual ReadResult read(const std::string &path, std::string &text);
    // The existing entry a path names (a folder aside; a pipe or device is found, so that
    // reading it can say what it is), trying a case-insensitive match of its last component
    // when the exact name is missing (DOS sources rarely agree with the disk on case);
    // empty when there is none.
    virtual std::string find(const std::string &path);

    static std::string absolutePath(const std::string &path);
    static std::string folderOf(const std::string &path);
};

} // namespace qvasm
