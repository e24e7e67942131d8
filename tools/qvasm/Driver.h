#pragma once

#include <string>
#include <vector>

namespace qvasm {

// The qvasm program without its main(): reads the command line, assembles, writes the target
// and the listing, and returns the standard output, the standard error and the exit code.
class Driver
{
public:
    struct Result
    {
        std::string out;
        std::string err;
        int exitCode = 0;
    };

    static Result run(const std::vector<std::string> &args);
    // The output of a run that failed inside the assembler (a bug, or memory exhausted).
    static Result internalError(const std::string &what);
};

} // namespace qvasm
