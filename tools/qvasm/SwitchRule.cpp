#include "qvasm/SwitchRule.h"

namespace qvasm::SwitchRule {

bool isSwitch(const std::string &arg, std::string_view bracedLetters)
{
    if (arg.size() < 2 || arg[0] != '/')
        return false;
    // A value in braces may hold "/" and "." of its own.
    if (arg.size() > 2 && arg[2] == '{' && bracedLetters.find(arg[1]) != std::string_view::npos)
        return true;
    return arg.find('/', 1) == std::string::npos && arg.find('.') == std::string::npos;
}

std::string bracedValue(const std::vector<std::string> &args, size_t &i, bool &closed)
{
    const std::string &a = args[i];
    std::string value = a.size() > 2 ? a.substr(3) : std::string();
    closed = !value.empty() && value.back() == '}';
    while (a.size() > 2 && !closed && i + 1 < args.size()) {
        value += " " + args[++i];
        closed = value.back() == '}';
    }
    if (closed)
        value.pop_back();
    return value;
}

} // namespace qvasm::SwitchRule
