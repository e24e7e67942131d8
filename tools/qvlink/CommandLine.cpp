#include "qvlink/CommandLine.h"

#include "qvasm/SwitchRule.h"

namespace qvlink {

namespace {

bool looksLikeSwitch(const std::string &a)
{
    return qvasm::SwitchRule::isSwitch(a, "e");
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
        if (a == "/m") {
            cl.map = true;
        } else if (a.size() > 2 && a[1] == 'e' && a[2] == '{') {
            bool closed = false;
            std::string value = qvasm::SwitchRule::bracedValue(args, i, closed);
            if (!closed || value.empty())
                cl.errors.emplace_back(0x22, a);
            else
                cl.exe = value;
        } else {
            cl.errors.emplace_back(0x22, a);
        }
    }
    // A word that names no file may be the first piece of a name with blanks.
    for (size_t k = 0; k < positional.size(); ++k) {
        std::string joined = positional[k];
        size_t last = k;
        if (!fileExists(joined)) {
            std::string attempt = joined;
            for (size_t m = k + 1; m < positional.size(); ++m) {
                attempt += " " + positional[m];
                if (fileExists(attempt)) {
                    joined = attempt;
                    last = m;
                    break;
                }
            }
        }
        cl.objects.push_back(joined);
        k = last;
    }
    return cl;
}

} // namespace qvlink
