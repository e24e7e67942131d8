#pragma once

#include <span>
#include <string_view>

namespace qvdisasm {

// The whole program: arguments (without the program name) in, listing on `outFd`, a one-line
// message on `errFd` when something is wrong. Returns the exit code: 0, or 1 on bad input.
int run(std::span<const std::string_view> args, int outFd, int errFd);

} // namespace qvdisasm
