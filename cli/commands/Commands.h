#pragma once
// The commands of veltrin-cli, one small function each, and the table RunCli dispatches by.
// A command gets its parsed arguments and the session; it returns the exit status and throws
// UsageError for a wrong command line.
#include <span>
#include <string_view>

#include "cli/Session.h"

namespace veltrin::cli {

struct Command {
    std::string_view name;
    ArgSpec args;
    int (*run)(Session& session, const CommandArgs& args);
};

/// Every command, in the order the usage text lists them.
std::span<const Command> Commands();

// Files (FileCommands.cpp)
int CmdDefaults(Session& s, const CommandArgs& c);
int CmdShow(Session& s, const CommandArgs& c);
int CmdSet(Session& s, const CommandArgs& c);
// The whole parameter set to and from the encoder (TransferCommands.cpp)
int CmdReadAll(Session& s, const CommandArgs& c);
int CmdSendAll(Session& s, const CommandArgs& c);
// One group read from the encoder (QueryCommand.cpp)
int CmdQuery(Session& s, const CommandArgs& c);
// Actual value and device commands (DeviceCommands.cpp)
int CmdActual(Session& s, const CommandArgs& c);
int CmdEepromStore(Session& s, const CommandArgs& c);
int CmdEepromLoad(Session& s, const CommandArgs& c);
int CmdRamDefaults(Session& s, const CommandArgs& c);
// The encoder or a second file compared with a file, the report (VerifyCommands.cpp)
int CmdVerify(Session& s, const CommandArgs& c);
int CmdDiff(Session& s, const CommandArgs& c);
int CmdReport(Session& s, const CommandArgs& c);
// Find the encoder; program encoders in series (SeriesCommands.cpp)
int CmdScan(Session& s, const CommandArgs& c);
int CmdProgram(Session& s, const CommandArgs& c);

}  // namespace veltrin::cli
