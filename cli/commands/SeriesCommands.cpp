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
#include "doc/Report.h"
#include "doc/SendNotes.h"
#include "doc/Series.h"
#include "params/Operations.h"
#include "res/Utf8Path.h"

namespace veltrin::cli {

namespace {

/// An encoder cut short by SIGINT (or SIGTERM): 128 + the signal, as shells report it.
constexpr int kExitInterrupted = 130;
/// How often the firmware read looks for the encoder while waiting for it to come or go.
constexpr int kPollIntervalMs = 500;

// Set by the signal handler; the link looks at it before every telegram.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch a lock-free flag");

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

/// While it lives, SIGINT and SIGTERM only set the flag that the link's stop request reads:
/// the exchange on the line runs to its end, no further telegram starts, and the command ends
/// its record and closes the port as usual. The handlers before come back afterwards.
class StopOnSignal {
public:
    explicit StopOnSignal(Link& link) : link_(link) {
        g_interrupted.store(false);
        previousInt_ = std::signal(SIGINT, OnInterrupt);
        previousTerm_ = std::signal(SIGTERM, OnInterrupt);
        link_.SetStopRequest(&g_interrupted);
    }
    ~StopOnSignal() {
        link_.SetStopRequest(nullptr);
        std::signal(SIGINT, previousInt_ == SIG_ERR ? SIG_DFL : previousInt_);
        std::signal(SIGTERM, previousTerm_ == SIG_ERR ? SIG_DFL : previousTerm_);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

private:
    Link& link_;
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

int StatusOf(ProgramResult result) {
    switch (result) {
        case ProgramResult::Programmed:
            return kExitOk;
        case ProgramResult::Failed:
            return kExitDevice;
        case ProgramResult::Differences:
            return kExitDifferences;
        case ProgramResult::Interrupted:
            return kExitInterrupted;
    }
    return kExitDevice;
}

/// "%1" and "%2" in text replaced by first and second.
std::string Fill(std::string text, const std::string& first, const std::string& second) {
    if (const std::size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, first);
    if (const std::size_t at = text.find("%2"); at != std::string::npos) text.replace(at, 2, second);
    return text;
}

Json OrNull(const std::string& s) { return s.empty() ? Json(nullptr) : Json(s); }

/// What the program file is, for every record.
struct ProgramFile {
    std::string path;
    std::string sha256;
};

/// One encoder's line of the record.
Json Record(std::time_t when, const std::string& device, const ProgramFile& file, bool extended,
            const ProgramOutcome& o) {
    Json steps = Json::object();
    for (ProgramStep step : kProgramSteps)
        if (o.Step(step) != StepResult::NotRequested) steps[StepName(step)] = StepResultName(o.Step(step));
    Json differences = Json::array();
    for (const VerifyRow& row : o.differences)
        differences.push_back(Json{{"member", row.member},
                                   {"kp", row.kp},
                                   {"label", row.label},
                                   {"file", row.fileValue},
                                   {"encoder", OrNull(row.encoderValue)}});
    Json withheld = Json::array();
    for (const WithheldStatusBit& w : o.withheld)
        withheld.push_back(
            Json{{"kp", KpNumber(w.kp)},
                 {"label", StatusBitOwnerText(w.owner)},
                 {"position", w.position},
                 {"heldBy", w.holder != 0 ? Json(StatusBitOwnerText(w.holder)) : Json(nullptr)}});
    Json refused = o.refused ? Json{{"kp", KpNumber(*o.refused)}, {"parameter", ParameterName(*o.refused)}}
                             : Json(nullptr);
    return Json{{"time", IsoLocalTime(when)},
                {"device", device},
                {"firmware", OrNull(o.firmware)},
                {"file", file.path},
                {"sha256", file.sha256},
                {"extended", extended},
                {"steps", std::move(steps)},
                {"differences", std::move(differences)},
                {"result", ProgramResultName(o.result)},
                {"error", OrNull(o.error)},
                {"status", StatusOf(o.result)},
                {"seconds", std::round(o.seconds * 10) / 10},
                {"refused", std::move(refused)},
                {"withheld", std::move(withheld)}};
}

/// The log's message: that it cannot be written, then why, as the file messages say it (the
/// C library's errno of the failed open or write; 0 when there is none to tell).
std::string LogErrorText(const std::string& path, int error) {
    std::string text = Text("cli.program.logError", path);
    if (error == 0) return text;
    ConfigFileResult why;
    why.status = ConfigStatus::FileError;
    why.cause = FileErrorCauseFromErrno(error, true);
    if (error == EISDIR) why.reason = FileErrorReason::Folder;
    if (error == ENOENT) why.reason = FileErrorReason::MissingFolder;
    return text + "\n" + ConfigFileErrorText(why, path);
}

/// Programs the encoder that is on the line now: a line on the output, the reason of a failure
/// on the error stream, the record in the log. Returns the encoder's status; logOk turns false
/// when its record could not be written, and logErrno then holds why.
int ProgramOne(Session& s, EncoderSession& encoder, const ProgramFile& file, const ProgramRequest& request,
               std::ofstream* log, bool& logOk, int& logErrno) {
    const std::time_t when = std::time(nullptr);
    const ProgramOutcome o = ProgramEncoder(encoder, request);
    const std::string device = s.EncoderDevice();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", o.seconds);
    s.out() << device << ": " << (o.firmware.empty() ? "-" : o.firmware) << ": "
            << ProgramResultText(o.result) << " (" << seconds << ")\n";
    for (const VerifyRow& row : o.differences)
        s.out() << "  " << row.label << ": " << row.fileValue << " / " << row.encoderValue << '\n';
    s.out().flush();
    if (!o.error.empty()) s.err() << o.error << '\n';
    if (o.refused) s.err() << RefusedParameterText(*o.refused) << '\n';
    if (SendReport sent{o.withheld, {}, {}}; !sent.withheld.empty())
        s.err() << Text("cli.warning", WithheldText(sent)) << '\n';
    if (log) {
        // One write a line, flushed at once: a line is either there whole or not at all.
        const std::string line = Record(when, device, file, encoder.extendedMode != 0, o)
                                     .dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) +
                                 "\n";
        errno = 0;
        log->write(line.data(), static_cast<std::streamsize>(line.size()));
        log->flush();
        if (!*log) {
            logOk = false;
            logErrno = errno;
        }
    }
    return StatusOf(o.result);
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
    const ProgramRequest request{c.Has("--verify"), c.Has("--store")};
    const bool repeat = c.Has("--repeat");

    // The record first: a run whose record cannot be kept sends nothing.
    std::ofstream log;
    const std::optional<std::string> logPath = c.Option("--log");
    if (logPath) {
        errno = 0;
        log.open(PathFromUtf8(*logPath), std::ios::out | std::ios::app | std::ios::binary);
        if (!log) {
            s.err() << LogErrorText(*logPath, errno) << '\n';
            return kExitFile;
        }
    }
    const ConfigFileResult read = ReadProgramFile(file.path, s.Parameters(), file.sha256);
    if (!read.ok()) return s.FileFailure(read, file.path);

    EncoderSession& encoder = s.Encoder();
    Link& link = encoder.link;
    StopOnSignal stop(link);
    std::ofstream* record = logPath ? &log : nullptr;
    bool logOk = true;
    int logErrno = 0;
    auto logFailure = [&] {
        s.err() << LogErrorText(*logPath, logErrno) << '\n';
        return kExitFile;
    };

    if (!repeat) {
        const int status = ProgramOne(s, encoder, file, request, record, logOk, logErrno);
        return logOk ? status : logFailure();
    }

    // One encoder after the other on the same port: wait until one answers, program it, wait
    // until it is gone; until SIGINT. A port that does not answer is opened anew before the next
    // look, so that an adapter unplugged meanwhile is found again.
    int programmed = 0, failed = 0, firstFailure = kExitOk;
    const auto reopen = [&] { s.ReopenEncoderPort(); };
    if (const PortDiagnosis why = link.Port()->OpenFailure(); why.problem != PortProblem::None)
        s.err() << PortDiagnosisText(why) << '\n';  // said once; the port is tried again at every look
    while (logOk) {
        s.err() << Text("cli.program.waiting", s.EncoderDevice()) << '\n';
        if (!AwaitEncoder(link, true, kPollIntervalMs, nullptr, reopen)) break;
        const int status = ProgramOne(s, encoder, file, request, record, logOk, logErrno);
        if (status == kExitOk) {
            ++programmed;
        } else {
            ++failed;
            if (firstFailure == kExitOk) firstFailure = status;
        }
        if (link.StopRequested() || !logOk) break;
        s.err() << Text("cli.program.remove") << '\n';
        if (!AwaitEncoder(link, false, kPollIntervalMs)) break;
    }
    s.out() << Fill(Text("cli.program.summary"), std::to_string(programmed), std::to_string(failed)) << '\n';
    return logOk ? firstFailure : logFailure();
}

}  // namespace veltrin::cli
