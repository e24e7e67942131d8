// Stand-in assembler for the build benchmark: writes LINES error lines in the assembler's output
// form, then the trailer, and ends with the error count (at most 255). With STAMP_FILE it records
// the monotonic clock in nanoseconds just before it exits, so the benchmark can time from the
// tool's exit.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    const long lines = argc > 1 ? std::atol(argv[1]) : 0;
    std::string out = "\r\n";
    out.reserve(size_t(lines) * 110 + 200);
    char buf[256];
    for (long i = 0; i < lines; ++i) {
        const int n
            = std::snprintf(buf,
                            sizeof buf,
                            "\t/home/user/projects/bench/src/module_%04ld.asm (%ld):  error "
                            "21h Symbol not defined:  label_%ld\r\n",
                            i % 1000,
                            i + 1,
                            i);
        out.append(buf, size_t(n));
    }
    std::snprintf(
        buf,
        sizeof buf,
        "\r\nSymbol space free:   65000\r\nTotal errors:        %ld\r\nTotal diags:         "
        "0\r\n",
        lines);
    out += buf;
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(1, out.data() + done, out.size() - done);
        if (n <= 0)
            return 99;
        done += size_t(n);
    }
    if (argc > 2) {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        if (FILE *f = std::fopen(argv[2], "w")) {
            std::fprintf(f, "%lld\n", (long long) ts.tv_sec * 1000000000LL + ts.tv_nsec);
            std::fclose(f);
        }
    }
    return lines > 255 ? 255 : int(lines);
}
