// actual, eeprom-store, eeprom-load, ram-defaults: the actual value and the device commands
// (without the program's confirmation questions).
#include <limits>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "params/Operations.h"

namespace veltrin::cli {

namespace {

int RunDeviceCommand(Session& s, const CommandArgs& c, bool (*command)(EncoderSession&)) {
    ExpectPositional(c, 0);
    return command(s.Encoder()) ? kExitOk : s.DeviceFailure();
}

}  // namespace

int CmdActual(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 0);
    long long n = 1;
    if (auto count = c.Option("--count"))
        if (!ParseCount(*count, 1, std::numeric_limits<long long>::max(), n))
            throw UsageError{Text("cli.error.badCount", *count)};
    EncoderSession& encoder = s.Encoder();
    for (long long i = 0; i < n; ++i) {
        ActualValue a;
        if (!QueryActualValue(encoder, a)) return s.DeviceFailure();
        if (c.Has("--json")) {
            Print(s.out(), Json{{"statusBits", a.statusBits}, {"dataBits", a.dataBits}, {"value", a.value}},
                  true);
        } else {
            s.out() << "value = " << a.value << "  dataBits = " << a.dataBits
                    << "  statusBits = " << a.statusBits << '\n';
        }
        s.out().flush();  // one reading a line, as it comes
    }
    return kExitOk;
}

int CmdEepromStore(Session& s, const CommandArgs& c) { return RunDeviceCommand(s, c, StoreToEeprom); }

int CmdEepromLoad(Session& s, const CommandArgs& c) { return RunDeviceCommand(s, c, LoadFromEeprom); }

int CmdRamDefaults(Session& s, const CommandArgs& c) { return RunDeviceCommand(s, c, SetRamDefaults); }

}  // namespace veltrin::cli
