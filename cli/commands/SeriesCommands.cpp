// scan, program: find the encoder among the serial ports, and program encoders from one file,
// one after the other, with a record of each.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <ctime>
#include <fstream>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "cli/commands/Stations.h"
#include "doc/Batch.h"
#include "doc/Report.h"
#include "doc/Series.h"
#include "doc/SeriesLog.h"
#include "params/Operations.h"
#include "res/Resources.h"
#include "res/Utf8Path.h"

namespace veltrin::cli {

namespace {

/// How often the firmware read looks for the encoder while waiting for it to come or go.
constexpr int kPollIntervalMs = 500;

Json OrNull(const std::string& s) { return s.empty() ? Json(nullptr) : Json(s); }

/// Programs the encoder that is on the line now: a line on the output, the reason of a failure
/// on the error stream, the record in the log. Returns the encoder's status; the log's Error()
/// says why when its record could not be written (it is closed then).
int ProgramOne(Session& s, EncoderSession& encoder, const ProgramFile& file, const ProgramRequest& request,
               SeriesLog* log) {
    const std::time_t when = std::time(nullptr);
    const ProgramOutcome o = ProgramEncoder(encoder, request);
    const std::string device = s.EncoderDevice();
    s.out() << EncoderLines(device, o);
    s.out().flush();
    s.err() << ProblemLines(o, "");
    if (log) log->Append(ProgramRecordLine(when, device, 1, file, encoder.extendedMode != 0, o));
    return ProgramExitStatus(o.result);
}

}  // namespace

int CmdScan(Session& s, const CommandArgs& c) {
    // The devices named, else the one --device names, else every serial port of the machine.
    std::vector<std::string> devices = c.positional;
    if (devices.empty() && !s.options().device.empty()) devices.push_back(s.options().device);
    if (devices.empty()) devices = s.hooks().serialDevices ? *s.hooks().serialDevices : ScanCandidates();
    const bool json = c.Has("--json");
    if (devices.empty()) {
        if (json) Print(s.out(), Json{{"devices", Json::array()}, {"found", 0}, {"seconds", 0.0}}, true);
        s.err() << Text("cli.scan.noCandidates") << '\n';
        return kExitDevice;
    }

    const auto start = std::chrono::steady_clock::now();
    const std::vector<ScanResult> results = ScanForEncoders(devices);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto found = std::count_if(results.begin(), results.end(),
                                     [](const ScanResult& r) { return r.state == ScanState::Found; });
    if (json) {
        Json list = Json::array();
        for (const ScanResult& r : results)
            list.push_back(Json{{"device", r.device},
                                {"state", ScanStateName(r)},
                                {"firmware", OrNull(ScanFirmwareText(r))},
                                {"reason", OrNull(PortDiagnosisText(r.diagnosis))}});
        Print(
            s.out(),
            Json{
                {"devices", std::move(list)}, {"found", found}, {"seconds", std::round(seconds * 100) / 100}},
            true);
    } else {
        std::size_t width = 0;
        for (const ScanResult& r : results) width = std::max(width, TextWidth(r.device));
        for (const ScanResult& r : results)
            s.out() << PadRight(r.device, width) << "  " << ScanStateText(r) << '\n';
    }
    return found > 0 ? kExitOk : kExitDevice;
}

int CmdProgram(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    ProgramFile file{c.positional[0], {}};
    const ProgramRequest request{c.Has("--verify"), c.Has("--store"), {}};
    const bool repeat = c.Has("--repeat");
    const std::vector<std::string> stations = c.List("--device");
    const bool batch = !stations.empty() || c.Has("--all");
    if (!stations.empty() && c.Has("--all")) throw UsageError{Text("cli.program.devicesAndAll")};
    if (const std::string twice = RepeatedDevice(stations); !twice.empty())
        throw UsageError{Text("cli.program.sameDevice", twice)};

    // The record first: a run whose record cannot be kept sends nothing.
    SeriesLog log;
    const std::optional<std::string> logPath = c.Option("--log");
    if (logPath && !log.Open(*logPath)) {
        s.err() << LogErrorText(*logPath, log.Error()) << '\n';
        return kExitFile;
    }
    const ConfigFileResult read = ReadProgramFile(file.path, s.Parameters(), file.sha256);
    if (!read.ok()) return s.FileFailure(read, file.path);
    SeriesLog* record = logPath ? &log : nullptr;
    if (batch) return ProgramStations(s, c, stations, file, record);

    EncoderSession& encoder = s.Encoder();
    Link& link = encoder.link;
    StopOnSignal stop;
    link.SetStopRequest(stop.Flag());
    auto logFailure = [&] {
        s.err() << LogErrorText(*logPath, log.Error()) << '\n';
        return kExitFile;
    };
    auto logOk = [&] { return !record || log.IsOpen(); };

    if (!repeat) {
        const int status = ProgramOne(s, encoder, file, request, record);
        link.SetStopRequest(nullptr);
        return logOk() ? status : logFailure();
    }

    // One encoder after the other on the same port: wait until one answers, program it, wait
    // until it is gone; until SIGINT. A port that does not answer is opened anew before the next
    // look, so that an adapter unplugged meanwhile is found again.
    int programmed = 0, failed = 0, firstFailure = kExitOk;
    const auto reopen = [&] { s.ReopenEncoderPort(); };
    if (const PortDiagnosis why = link.Port()->OpenFailure(); why.problem != PortProblem::None)
        s.err() << PortDiagnosisText(why) << '\n';  // said once; the port is tried again at every look
    while (logOk()) {
        s.err() << Text("cli.program.waiting", s.EncoderDevice()) << '\n';
        if (!AwaitEncoder(link, true, kPollIntervalMs, nullptr, reopen)) break;
        const int status = ProgramOne(s, encoder, file, request, record);
        if (status == kExitOk) {
            ++programmed;
        } else {
            ++failed;
            if (firstFailure == kExitOk) firstFailure = status;
        }
        if (link.StopRequested() || !logOk()) break;
        s.err() << Text("cli.program.remove") << '\n';
        if (!AwaitEncoder(link, false, kPollIntervalMs)) break;
    }
    link.SetStopRequest(nullptr);
    s.out() << FillArguments(ResText("cli.program.summary"),
                             {std::to_string(programmed), std::to_string(failed)})
            << '\n';
    return logOk() ? firstFailure : logFailure();
}

}  // namespace veltrin::cli
