#include "cli/commands/Stations.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <set>
#include <sstream>

#include "cli/Output.h"
#include "doc/Batch.h"
#include "doc/Report.h"
#include "doc/SendNotes.h"
#include "params/Scan.h"
#include "res/Resources.h"

namespace veltrin::cli {

namespace {

// Set by the signal handler; every link looks at it before each telegram.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch a lock-free flag");

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

/// How often a waiting station looks for its encoder coming or going.
constexpr int kPollIntervalMs = 500;

std::string Filled(std::string_view key, std::initializer_list<std::string_view> args) {
    return FillArguments(ResText(key), args);
}

std::string StateText(const StationStatus& st) {
    switch (st.state) {
        case StationState::Starting:
            return ResText("cli.program.state.starting");
        case StationState::Waiting:
            return ResText("cli.program.state.waiting");
        case StationState::Programming:
            return ResText("cli.program.state.programming");
        case StationState::Removing:
            return ResText("cli.program.state.removing");
        case StationState::Finished:
            return ResText("cli.program.state.finished");
    }
    return {};
}

std::string LastText(const StationStatus& st) {
    if (!st.last) return st.problem.empty() ? "-" : ResText("cli.program.portProblem");
    std::string text = ProgramResultText(*st.last);
    if (!st.lastFirmware.empty()) text += " " + st.lastFirmware;
    return text;
}

/// Reports the stations while they run: a table rewritten in place on a terminal, or a line
/// per encoder (and per wait) on a pipe; the log's line for each encoder.
class StationsReport : public BatchListener {
public:
    StationsReport(Session& s, const std::vector<std::string>& devices, const ProgramFile& file,
                   bool extended, SeriesLog* log, Batch& batch)
        : s_(s), file_(file), extended_(extended), log_(log), batch_(batch), live_(s.hooks().liveTable) {
        rows_.resize(devices.size());
        for (std::size_t i = 0; i < devices.size(); ++i) {
            rows_[i].device = devices[i];
            deviceWidth_ = std::max(deviceWidth_, TextWidth(devices[i]));
        }
        if (live_) Draw(false);
    }

    void StationChanged(std::size_t station, const StationStatus& status) override {
        const StationStatus before = rows_[station];
        rows_[station] = status;
        if (live_) {
            Draw(true);
        } else if (status.state != before.state) {
            if (status.state == StationState::Waiting)
                s_.err() << Text("cli.program.waiting", status.device) << '\n';
            if (status.state == StationState::Removing)
                s_.err() << status.device << ": " << Text("cli.program.remove") << '\n';
            if (!status.problem.empty() && status.problem != before.problem && !status.last)
                s_.err() << status.device << ": " << status.problem << '\n';
        }
    }

    void EncoderDone(const BatchRecord& r) override {
        const ProgramOutcome& o = r.outcome;
        const std::string lines = EncoderLines(r.device, o);
        const std::string problems = ProblemLines(o, r.device + ": ");
        if (live_) {
            // Below the table once it is done: the table owns the terminal meanwhile.
            details_ += lines + problems;
        } else {
            s_.out() << lines;
            s_.out().flush();
            s_.err() << problems;
        }
        if (log_ && log_->IsOpen() &&
            !log_->Append(
                ProgramRecordLine(r.when, r.device, static_cast<int>(r.station) + 1, file_, extended_, o)))
            batch_.Stop();  // no encoder goes unrecorded
    }

    /// After the run: the details the table held back.
    void Finish() {
        if (live_) s_.out() << details_;
        s_.out().flush();
    }

private:
    void Draw(bool again) {
        std::ostream& out = s_.out();
        if (again) out << "\x1b[" << rows_.size() + 1 << "A";
        const std::string head = PadRight(ResText("cli.program.column.station"), 8) + "  " +
                                 PadRight(ResText("cli.program.column.device"), deviceWidth_) + "  " +
                                 PadRight(ResText("cli.program.column.state"), 22) + "  " +
                                 PadRight(ResText("cli.program.column.step"), 16) + "  " +
                                 PadRight(ResText("cli.program.column.last"), 22) + "  " +
                                 ResText("cli.program.column.count");
        out << "\r\x1b[2K" << head << '\n';
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const StationStatus& st = rows_[i];
            const std::string step = st.state == StationState::Programming ? ProgramStepText(st.step) : "-";
            out << "\r\x1b[2K" << PadRight(std::to_string(i + 1), 8) << "  "
                << PadRight(st.device, deviceWidth_) << "  " << PadRight(StateText(st), 22) << "  "
                << PadRight(step, 16) << "  " << PadRight(LastText(st), 22) << "  " << st.Count() << '\n';
        }
        out.flush();
    }

    Session& s_;
    const ProgramFile& file_;
    bool extended_;
    SeriesLog* log_;
    Batch& batch_;
    bool live_;
    std::vector<StationStatus> rows_;
    std::size_t deviceWidth_ = 6;
    std::string details_;
};

}  // namespace

std::string EncoderLines(const std::string& device, const ProgramOutcome& o) {
    std::ostringstream lines;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", o.seconds);
    lines << device << ": " << (o.firmware.empty() ? "-" : o.firmware) << ": " << ProgramResultText(o.result)
          << " (" << seconds << ")\n";
    for (const VerifyRow& row : o.differences)
        lines << "  " << row.label << ": " << row.fileValue << " / " << row.encoderValue << '\n';
    return lines.str();
}

std::string ProblemLines(const ProgramOutcome& o, const std::string& prefix) {
    std::string lines;
    if (!o.error.empty()) lines += prefix + o.error + '\n';
    if (o.refused) lines += prefix + RefusedParameterText(*o.refused) + '\n';
    if (SendReport sent{o.withheld, {}, {}}; !sent.withheld.empty())
        lines += prefix + Text("cli.warning", WithheldText(sent)) + '\n';
    return lines;
}

StopOnSignal::StopOnSignal() {
    g_interrupted.store(false);
    previousInt_ = std::signal(SIGINT, OnInterrupt);
    previousTerm_ = std::signal(SIGTERM, OnInterrupt);
}

StopOnSignal::~StopOnSignal() {
    std::signal(SIGINT, previousInt_ == SIG_ERR ? SIG_DFL : previousInt_);
    std::signal(SIGTERM, previousTerm_ == SIG_ERR ? SIG_DFL : previousTerm_);
}

std::atomic<bool>* StopOnSignal::Flag() { return &g_interrupted; }

int ProgramStations(Session& s, const CommandArgs& c, const std::vector<std::string>& named,
                    const ProgramFile& file, SeriesLog* log) {
    std::vector<std::string> devices = named;
    if (devices.empty()) {
        // --all: every device where an encoder answers now. The look takes the program's own
        // time-outs, not the scan's short ones: an encoder missed here would go unprogrammed
        // for the whole run, while a silent device costs only about 1.7 s once.
        const std::vector<std::string> candidates =
            s.hooks().serialDevices ? *s.hooks().serialDevices : ScanCandidates();
        ScanOptions look;
        look.timing = s.hooks().timing ? *s.hooks().timing : LinkTiming{};
        // Two names of one device (a link in /dev/serial/by-id and its ttyUSB): one station.
        std::set<std::string> taken;
        for (const ScanResult& r : ScanForEncoders(candidates, look))
            if (r.state == ScanState::Found && taken.insert(DeviceKey(r.device)).second)
                devices.push_back(r.device);
        if (devices.empty()) {
            s.err() << Text("cli.program.noneFound") << '\n';
            return kExitDevice;
        }
    }

    BatchJob job;
    job.devices = devices;
    job.set = s.Parameters();
    job.extendedMode = s.options().extended ? 1 : 0;
    job.verify = c.Has("--verify");
    job.store = c.Has("--store");
    job.repeat = c.Has("--repeat");
    if (s.hooks().timing) job.timing = *s.hooks().timing;
    job.pollIntervalMs = kPollIntervalMs;

    StopOnSignal stop;
    Batch batch(job, stop.Flag());
    StationsReport report(s, devices, file, job.extendedMode != 0, log, batch);
    batch.Run(&report);
    report.Finish();

    // The summary: each station, then all of them.
    const std::vector<StationStatus> stations = batch.Stations();
    for (const StationStatus& st : stations)
        s.out() << Filled("cli.program.stationSummary",
                          {st.device, std::to_string(st.programmed), std::to_string(st.differences),
                           std::to_string(st.failed), std::to_string(st.interrupted)})
                << '\n';
    const StationStatus all = Totals(stations);
    s.out() << Filled("cli.program.totalSummary",
                      {std::to_string(all.programmed), std::to_string(all.differences),
                       std::to_string(all.failed), std::to_string(all.interrupted)})
            << '\n';
    s.out().flush();

    if (log && !log->IsOpen()) {
        s.err() << LogErrorText(*c.Option("--log"), log->Error()) << '\n';
        return kExitFile;
    }
    if (all.interrupted > 0) return kExitInterrupted;
    if (all.failed > 0) return kExitDevice;
    if (all.differences > 0) return kExitDifferences;
    return kExitOk;
}

}  // namespace veltrin::cli
