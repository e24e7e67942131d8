#include "qvlink/Driver.h"

#include <cstdio>
#include <exception>
#include <new>

int main(int argc, char **argv)
{
    qvlink::Driver::Result r;
    try {
        r = qvlink::Driver::run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc &) {
        r = qvlink::Driver::internalError("out of memory");
    } catch (const std::exception &e) {
        r = qvlink::Driver::internalError(e.what());
    }
    std::fwrite(r.out.data(), 1, r.out.size(), stdout);
    std::fflush(stdout);
    return r.exitCode;
}
