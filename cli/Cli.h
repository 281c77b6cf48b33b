#pragma once
// veltrin-cli: the command-line front end to the encoder operations and configuration files,
// for scripts, production lines and diagnosis. RunCli is the whole program apart from main(),
// so tests can run it in process.
//
// Exit status: 0 success, 1 the encoder operation failed (its device-error text on the error
// stream), 2 usage error, 3 file error, 4 the encoder (or the second file) differs from the
// file (verify, diff).
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/Link.h"

namespace veltrin::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitDevice = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFile = 3;
inline constexpr int kExitDifferences = 4;

inline constexpr char kVersionText[] = "veltrin-cli 1.04";

struct CliHooks {
    /// Replaces the start-up link timing (tests shorten the time-outs).
    std::optional<LinkTiming> timing;
    /// Show a progress line for read-all and send-all on the error stream.
    bool progress = false;
    /// program with several stations: a table on the output that rewrites its rows as they
    /// change (a terminal), instead of a line per encoder.
    bool liveTable = false;
    /// The date the report shows instead of today's.
    std::optional<std::string> reportDate;
    /// The serial devices scan looks at when none are named, instead of the machine's.
    std::optional<std::vector<std::string>> serialDevices;
    /// Called with every telegram before it goes to an encoder (tests inject faults by it).
    std::function<void(const std::uint8_t* telegram, int length)> telegramObserver;
};

/// Runs one command line (without the program name). Blocks for the encoder exchanges the
/// command makes. Every encoder it talks to has an encoder session of its own, made for the
/// command and gone when it returns; RunCli shares nothing with another run but the resources.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliHooks& hooks = {});

}  // namespace veltrin::cli
