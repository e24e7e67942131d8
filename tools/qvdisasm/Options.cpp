#include "Options.h"

#include <limits>

namespace qvdisasm {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Switch letter and value of a numeric switch ("/o0x100"), when the argument is one.
bool isNumericSwitch(std::string_view arg, char letter)
{
    return arg.size() > 2 && arg[0] == '/' && arg[1] == letter && digitValue(arg[2]) < 10;
}

} // namespace

std::optional<uint32_t> parseNumber(std::string_view text)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        base = 16;
        text.remove_suffix(1);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = digitValue(c);
        if (digit >= int(base))
            return std::nullopt;
        value = value * base + unsigned(digit);
        if (value > std::numeric_limits<uint32_t>::max())
            return std::nullopt;
    }
    return uint32_t(value);
}

CommandLine parseCommandLine(std::span<const std::string_view> args)
{
    CommandLine result;
    Options options;
    bool haveFile = false;
    for (std::string_view arg : args) {
        if (arg == "/n") {
            options.showBytes = false;
        } else if (arg == "/N") {
            options.showOffset = false;
        } else if (arg == "/b") {
            options.bits32 = false;
        } else if (arg == "/B") {
            options.bits32 = true;
        } else if (isNumericSwitch(arg, 'o') || isNumericSwitch(arg, 'e')) {
            const bool origin = arg[1] == 'o';
            const std::optional<uint32_t> value = parseNumber(arg.substr(2));
            if (!value) {
                result.error = std::string(origin ? "origin" : "skip")
                               + " is not a number below 4 GB: " + std::string(arg);
                return result;
            }
            (origin ? options.origin : options.skip) = *value;
        } else if (arg.empty()) {
            result.error = "empty argument";
            return result;
        } else if (!haveFile) {
            options.file = arg;
            haveFile = true;
        } else {
            result.error = "unknown switch: " + std::string(arg);
            return result;
        }
    }
    if (!haveFile) {
        result.error = Usage;
        return result;
    }
    result.options = options;
    return result;
}

} // namespace qvdisasm
