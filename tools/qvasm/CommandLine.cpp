#include "qvasm/CommandLine.h"

#include "qvasm/SwitchRule.h"

namespace qvasm {

namespace {

bool startsWith(const std::string &s, const char *prefix)
{
    return s.rfind(prefix, 0) == 0;
}

bool looksLikeSwitch(const std::string &a)
{
    return SwitchRule::isSwitch(a, "iIL");
}

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string> &rawArgs,
                               const std::function<bool(const std::string &)> &fileExists)
{
    CommandLine cl;
    std::vector<std::string> args;
    for (const std::string &a : rawArgs) {
        if (!a.empty())
            args.push_back(a);
    }
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (!looksLikeSwitch(a)) {
            positional.push_back(a);
            continue;
        }
        if (a == "/s")
            cl.syntaxOnly = true;
        else if (a == "/x")
            cl.listing = true;
        else if (a == "/X")
            cl.listing = cl.pageBreaks = true;
        else if (a == "/j")
            cl.jumps = true;
        else if (a == "/o")
            cl.optimize = true;
        else if (a == "/d")
            cl.noDiagnostics = true;
        else if (a == "/b")
            cl.beep = true;
        else if (a == "/a")
            cl.alphabetize = true;
        else if (a == "/wa" || a == "/wb")
            cl.bootSector = true;
        else if ((startsWith(a, "/i") || startsWith(a, "/I") || startsWith(a, "/L")) && a.size() > 2
                 && a[2] != '{')
            cl.errors.emplace_back(a[1] == 'L' ? 0x22 : 0x0E, a); // "/iinc": the folder needs braces
        else if (startsWith(a, "/i") || startsWith(a, "/I") || startsWith(a, "/L")) {
            bool closed = false;
            const std::string value = SwitchRule::bracedValue(args, i, closed);
            const bool library = a[1] == 'L';
            if (library) {
                cl.libraryDir = value;
            } else if (value.empty() || (a.size() > 2 && !closed)) {
                cl.errors.emplace_back(0x0E, a);
            } else {
                cl.includeDirs.push_back(value);
            }
        } else {
            cl.errors.emplace_back(0x22, a);
        }
    }
    if (positional.size() <= 2) {
        if (!positional.empty())
            cl.source = positional[0];
        if (positional.size() == 2)
            cl.target = positional[1];
        return cl;
    }
    // More words than SOURCE and TARGET: a path with blanks that reached us in pieces.
    std::string joined;
    for (size_t k = 0; k < positional.size(); ++k) {
        joined += (k ? " " : "") + positional[k];
        if (fileExists(joined)) {
            cl.source = joined;
            std::string rest;
            for (size_t m = k + 1; m < positional.size(); ++m)
                rest += (m > k + 1 ? " " : "") + positional[m];
            cl.target = rest;
            return cl;
        }
    }
    cl.source = positional[0];
    cl.target = positional[1];
    for (size_t k = 2; k < positional.size(); ++k)
        cl.errors.emplace_back(0x22, positional[k]);
    return cl;
}

} // namespace qvasm
