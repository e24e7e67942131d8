#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qvdisasm {

// What one run disassembles and how it prints it.
struct Options
{
    std::string file;
    uint32_t origin = 0;    // /o: address of the first decoded byte
    uint32_t skip = 0;      // /e: bytes skipped at the start of the file
    bool showBytes = true;  // /n turns the instruction-bytes column off
    bool showOffset = true; // /N turns the offset column off
    bool bits32 = false;    // /B: 32-bit code; /b (the default): 16-bit code

    // Both columns off: the listing is a source that assembles back to the same bytes.
    bool sourceMode() const { return !showBytes && !showOffset; }
};

struct CommandLine
{
    std::optional<Options> options; // set when the arguments were understood
    std::string error;              // one line, set otherwise
};

// Arguments without the program name. A path may start with '/', so only arguments that are
// exactly one of the switches count as switches; the one other argument is the file.
CommandLine parseCommandLine(std::span<const std::string_view> args);

// "0x7C00", "7C00h" and "31744" alike; nothing when it is not a number or not below 4 GB.
std::optional<uint32_t> parseNumber(std::string_view text);

inline constexpr char Usage[] = "usage: qvdisasm FILE [/o0xORIGIN] [/e0xSKIP] [/n] [/N] [/b|/B]";

} // namespace qvdisasm
