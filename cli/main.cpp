#include <iostream>

#include "cli/Cli.h"
#include "cli/Console.h"

int main(int argc, char** argv) {
    veltrin::cli::Console console;
    const std::vector<std::string> args = console.Arguments(argc, argv);
    veltrin::cli::CliHooks hooks;
    hooks.progress = console.ErrorIsTerminal();
    hooks.liveTable = console.OutputIsLiveTerminal();
    int status = veltrin::cli::RunCli(args, std::cout, std::cerr, hooks);
    std::cout.flush();
    return status;
}
