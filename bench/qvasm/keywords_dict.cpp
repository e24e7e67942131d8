// Prints qvasm's keywords as a libFuzzer dictionary, so the fuzzer speaks the dialect early.
#include "qvasm/Keywords.h"

#include <cstdio>

int main()
{
    for (const qvasm::Keyword &k : qvasm::acceptedKeywords())
        std::printf("\"%.*s\"\n", int(k.name.size()), k.name.data());
    for (const char *extra : {"[bx+si]",
                              "es:",
                              "ptr",
                              "dup",
                              "offset",
                              "@@:",
                              "@f",
                              "@b",
                              ",",
                              ":",
                              "0x",
                              "h",
                              "'",
                              "\"",
                              "(",
                              ")",
                              "$",
                              "?",
                              "\\x0d\\x0a"})
        std::printf("\"%s\"\n", extra);
    return 0;
}
