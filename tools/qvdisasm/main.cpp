#include "Tool.h"

#include <csignal>
#include <string_view>
#include <unistd.h>
#include <vector>

int main(int argc, char *argv[])
{
    // A reader that goes away is a write error we report, not a signal that kills us.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    return qvdisasm::run(args, STDOUT_FILENO, STDERR_FILENO);
}
