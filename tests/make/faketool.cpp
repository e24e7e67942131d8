// A stand-in console tool for the tests: it follows a script given in the environment variable
// FAKETOOL_SCRIPT, one command per line, so a test can make it print exactly what it needs.
//   out TEXT     TEXT to stdout; \r \n \t \\ \0 and \xHH are unescaped
//   err TEXT     TEXT to stderr
//   bulk N       N bytes of a fixed pattern to stdout (see pattern())
//   flood        the same pattern without end, until it is killed or nobody reads
//   record FILE  its arguments one per line, then "cwd=" and its folder, then "stdin=eof" when
//                its standard input is empty, into FILE
//   sleep        waits until it is killed
//   abort        dies by a signal
//   exit N       ends with exit code N
// Without "exit" it ends with 0.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void writeAll(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::exit(99);
        done += size_t(n);
    }
}

std::string unescape(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'x':
            out += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

// Byte i of a bulk write: lowercase letters, with a CR LF closing every 64 bytes. The tests
// build the same bytes to compare.
char pattern(size_t i)
{
    const size_t col = i % 64;
    if (col == 62)
        return '\r';
    if (col == 63)
        return '\n';
    return char('a' + (i / 64 + col) % 26);
}

} // namespace

int main(int argc, char **argv)
{
    const char *script = std::getenv("FAKETOOL_SCRIPT");
    int code = 0;
    std::string rest = script ? script : "";
    while (!rest.empty()) {
        const size_t nl = rest.find('\n');
        const std::string line = rest.substr(0, nl);
        rest = nl == std::string::npos ? std::string() : rest.substr(nl + 1);
        const size_t sp = line.find(' ');
        const std::string cmd = line.substr(0, sp);
        const std::string arg = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        if (cmd == "out") {
            writeAll(1, unescape(arg));
        } else if (cmd == "err") {
            writeAll(2, unescape(arg));
        } else if (cmd == "bulk") {
            const size_t n = std::strtoull(arg.c_str(), nullptr, 10);
            std::string chunk;
            for (size_t i = 0; i < n; ++i) {
                chunk += pattern(i);
                if (chunk.size() == 65536) {
                    writeAll(1, chunk);
                    chunk.clear();
                }
            }
            writeAll(1, chunk);
        } else if (cmd == "flood") {
            // The pattern repeats every 26 lines of 64 bytes.
            std::string chunk;
            for (size_t i = 0; i < 39 * 26 * 64; ++i)
                chunk += pattern(i);
            for (;;)
                writeAll(1, chunk);
        } else if (cmd == "record") {
            std::string text;
            for (int i = 1; i < argc; ++i)
                text += std::string(argv[i]) + "\n";
            char cwd[4096] = {};
            if (::getcwd(cwd, sizeof cwd))
                text += std::string("cwd=") + cwd + "\n";
            char c;
            if (::read(0, &c, 1) == 0)
                text += "stdin=eof\n";
            FILE *f = std::fopen(arg.c_str(), "wb");
            if (!f)
                return 98;
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        } else if (cmd == "sleep") {
            for (;;)
                ::pause();
        } else if (cmd == "abort") {
            std::signal(SIGABRT, SIG_DFL);
            std::abort();
        } else if (cmd == "exit") {
            code = std::atoi(arg.c_str());
        }
    }
    return code;
}
