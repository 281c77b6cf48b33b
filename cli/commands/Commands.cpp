#include "cli/commands/Commands.h"

#include <array>

namespace veltrin::cli {

std::span<const Command> Commands() {
    static const std::array<Command, 15> commands{{
        {"read-all", {{}, {"--base"}}, CmdReadAll},
        {"send-all", {}, CmdSendAll},
        {"defaults", {}, CmdDefaults},
        {"show", {{"--json"}, {}}, CmdShow},
        {"set", {}, CmdSet},
        {"query", {{"--json"}, {}}, CmdQuery},
        {"actual", {{"--json"}, {"--count"}}, CmdActual},
        {"eeprom-store", {}, CmdEepromStore},
        {"eeprom-load", {}, CmdEepromLoad},
        {"ram-defaults", {}, CmdRamDefaults},
        {"verify", {{"--json"}, {}}, CmdVerify},
        {"diff", {{"--json"}, {}}, CmdDiff},
        {"report", {{"--html", "--verify"}, {}}, CmdReport},
        {"scan", {{"--json"}, {}}, CmdScan},
        {"program", {{"--store", "--verify", "--repeat", "--all"}, {"--log"}, {"--device"}}, CmdProgram},
    }};
    return commands;
}

}  // namespace veltrin::cli
