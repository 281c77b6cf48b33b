// read-all, send-all: the whole parameter set from and to the encoder.
#include "cli/commands/Commands.h"
#include "doc/SendNotes.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"

namespace veltrin::cli {

int CmdReadAll(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (auto base = c.Option("--base"))
        if (int rc = s.ReadFileInto(*base, s.Parameters())) return rc;
    EncoderSession& encoder = s.Encoder();
    s.ShowProgress("read-all", kReadAllSteps);
    if (!ReadAll(encoder)) return s.DeviceFailure();
    s.EndProgress();
    return s.WriteFileFrom(c.positional[0], s.Parameters());
}

int CmdSendAll(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (int rc = s.ReadFileInto(c.positional[0], s.Parameters())) return rc;
    EncoderSession& encoder = s.Encoder();
    s.ShowProgress("send-all", 0);
    SendReport report;
    const bool ok = SendAll(encoder, &report);
    const int status = ok ? kExitOk : s.SendFailure(report);
    s.EndProgress();
    // Status bits whose position another function holds went out as no telegram: said here, so
    // that a verify afterwards finding them different was announced.
    if (const std::string withheld = WithheldText(report); !withheld.empty())
        s.err() << Text("cli.warning", withheld) << '\n';
    return status;
}

}  // namespace veltrin::cli
