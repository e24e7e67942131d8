#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qvlink {

// "qvlink OBJ... [SWITCH...]" taken apart. As with qvasm, an argument starting with '/' is a
// path when it holds another '/' or a '.', and a switch otherwise.
struct CommandLine
{
    std::vector<std::string> objects;
    std::string exe;  // /e{FILE}; empty: the first object's name with "exe"
    bool map = false; // /m
    std::vector<std::pair<uint8_t, std::string>> errors; // code and detail, reported at line 0

    static CommandLine parse(const std::vector<std::string> &args,
                             const std::function<bool(const std::string &)> &fileExists);
};

} // namespace qvlink
