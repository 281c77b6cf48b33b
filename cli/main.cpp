#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    veltrin::cli::CliHooks hooks;
    hooks.progress = ::isatty(STDERR_FILENO) != 0;
    int status = veltrin::cli::RunCli(args, std::cout, std::cerr, hooks);
    std::cout.flush();
    return status;
}
