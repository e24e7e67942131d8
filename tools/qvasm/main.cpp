#include "qvasm/Driver.h"

#include <cstdio>
#include <exception>
#include <new>

int main(int argc, char **argv)
{
    qvasm::Driver::Result r;
    try {
        r = qvasm::Driver::run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc &) {
        r = qvasm::Driver::internalError("out of memory");
    } catch (const std::exception &e) {
        r = qvasm::Driver::internalError(e.what());
    }
    std::fwrite(r.out.data(), 1, r.out.size(), stdout);
    std::fflush(stdout);
    if (!r.err.empty())
        std::fwrite(r.err.data(), 1, r.err.size(), stderr);
    return r.exitCode;
}
