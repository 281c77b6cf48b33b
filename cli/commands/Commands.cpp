#include "cli/commands/Commands.h"

#include <array>

namespace veltrin::cli {

std::span<const Command> Commands() {
    static const std::array<Command, 10> commands{{
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
    }};
    return commands;
}

}  // namespace veltrin::cli
