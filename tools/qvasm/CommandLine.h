#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qvasm {

// "qvasm SOURCE [TARGET] [SWITCH...]" taken apart. Switches start with '/', and so do Linux
// paths: an argument is a switch when it is one of ours, or when it looks like one (no further
// '/' and no '.'); anything else starting with '/' is a path.
struct CommandLine
{
    std::string source;
    std::string target;
    bool syntaxOnly = false;    // /s
    bool listing = false;       // /x or /X
    bool pageBreaks = false;    // /X
    bool jumps = false;         // /j
    bool optimize = false;      // /o
    bool noDiagnostics = false; // /d
    bool beep = false;          // /b
    bool alphabetize = false;   // /a
    bool bootSector = false;    // /wa or /wb
    std::vector<std::string> includeDirs;
    std::string libraryDir;
    std::vector<std::pair<uint8_t, std::string>> errors; // code and detail, reported at line 0

    static CommandLine parse(const std::vector<std::string> &args,
                             const std::function<bool(const std::string &)> &fileExists);
};

} // namespace qvasm
