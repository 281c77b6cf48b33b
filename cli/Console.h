#pragma once
// What veltrin-cli needs of the console it runs in, one file per platform (Console_unix.cpp,
// Console_win.cpp): its arguments as UTF-8, output that the console shows as it is meant, and
// whether the error stream is a terminal (for the progress line).
#include <string>
#include <vector>

namespace veltrin::cli {

class Console {
public:
    /// Sets the console up for UTF-8 output where it needs that (Windows), for this run only.
    Console();
    /// Gives the console back as it was.
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    /// The command line without the program name, each argument in UTF-8 (on Windows from the
    /// UTF-16 command line, so that "Ωmega.ssi" stays what it is).
    std::vector<std::string> Arguments(int argc, char** argv) const;
    /// Whether standard error goes to a terminal or console (not a file or pipe).
    bool ErrorIsTerminal() const;
    /// Whether standard output is a terminal that takes control sequences (a live table may
    /// rewrite its lines there).
    bool OutputIsLiveTerminal() const;

private:
    unsigned savedOutputCodePage_ = 0;
};

}  // namespace veltrin::cli
