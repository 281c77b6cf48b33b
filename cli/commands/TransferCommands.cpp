// read-all, send-all: the whole parameter set from and to the encoder.
#include "cli/commands/Commands.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"

namespace veltrin::cli {

int CmdReadAll(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (auto base = c.Option("--base"))
        if (int rc = s.ReadFileInto(*base, encoderParameters)) return rc;
    Link& link = s.Encoder();
    s.ShowProgress("read-all", kReadAllSteps);
    if (!ReadAll(encoderParameters, link)) return s.DeviceFailure();
    s.EndProgress();
    return s.WriteFileFrom(c.positional[0], encoderParameters);
}

int CmdSendAll(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (int rc = s.ReadFileInto(c.positional[0], encoderParameters)) return rc;
    Link& link = s.Encoder();
    s.ShowProgress("send-all", 0);
    if (!SendAll(encoderParameters, link)) return s.DeviceFailure();
    s.EndProgress();
    return kExitOk;
}

}  // namespace veltrin::cli
