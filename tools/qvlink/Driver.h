#pragma once

#include <string>
#include <vector>

namespace qvlink {

// The qvlink program without its main(): reads the command line and the objects, links, writes
// the .exe and the map, and returns the standard output and the exit code.
class Driver
{
public:
    struct Result
    {
        std::string out;
        int exitCode = 0;
    };

    static constexpr size_t MaxObjectBytes = 16 * 1024 * 1024;

    static Result run(const std::vector<std::string> &args);
    // The output of a run that failed inside the linker (a bug, or memory exhausted).
    static Result internalError(const std::string &what);
};

} // namespace qvlink
