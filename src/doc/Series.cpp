#include "doc/Series.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>

#include "doc/SendNotes.h"
#include "doc/Sha256.h"
#include "params/Operations.h"
#include "res/Resources.h"
#include "res/Utf8Path.h"

namespace veltrin {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian), for any year.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

long long SecondsOf(const std::tm& t) {
    return DaysFromCivil(t.tm_year + 1900LL, static_cast<unsigned>(t.tm_mon + 1),
                         static_cast<unsigned>(t.tm_mday)) *
               86400 +
           t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
}

void Set(ProgramOutcome& o, ProgramStep step, StepResult r) { o.steps[static_cast<std::size_t>(step)] = r; }

}  // namespace

ProgramOutcome ProgramEncoder(EncoderSession& session, const ProgramRequest& request) {
    Link& link = session.link;
    const EncoderParameters& set = session.parameters;
    ProgramOutcome o;
    auto begin = [&](ProgramStep step) {
        if (request.stepStarted) request.stepStarted(step);
    };
    const auto start = std::chrono::steady_clock::now();
    for (ProgramStep s : kProgramSteps) Set(o, s, StepResult::Skipped);
    if (!request.verify) Set(o, ProgramStep::Verify, StepResult::NotRequested);
    if (!request.store) Set(o, ProgramStep::Store, StepResult::NotRequested);

    auto finish = [&](ProgramResult result) {
        o.result = result;
        o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return o;
    };
    // A step that did not succeed: cut short by a stop request, or failed on the encoder.
    auto fail = [&](ProgramStep step) {
        if (link.StopRequested()) {
            Set(o, step, StepResult::Interrupted);
            return finish(ProgramResult::Interrupted);
        }
        Set(o, step, StepResult::Failed);
        o.error = link.DeviceErrorText();
        return finish(ProgramResult::Failed);
    };

    begin(ProgramStep::Firmware);
    std::array<char, 4> firmware{};
    if (!QueryFirmwareVersion(session, firmware)) return fail(ProgramStep::Firmware);
    o.firmware = FirmwareVersionText(firmware, true);
    Set(o, ProgramStep::Firmware, StepResult::Ok);

    begin(ProgramStep::Send);
    session.statusBitOwners.fill(0);
    const StatusBitOwners ownersBefore = session.statusBitOwners;
    SendReport report;
    const bool sent = SendAll(session, &report);
    o.withheld = report.withheld;
    if (!sent && report.invalidScalingSelection && !link.StopRequested()) {
        // No telegram failed: the error state of the link is older than this send.
        Set(o, ProgramStep::Send, StepResult::Failed);
        o.error = SendFailureText(report, link);
        return finish(ProgramResult::Failed);
    }
    if (!sent) {
        if (!RefusedParameterText(report, link).empty()) o.refused = report.failedWrite;
        return fail(ProgramStep::Send);
    }
    Set(o, ProgramStep::Send, StepResult::Ok);

    if (request.verify) {
        begin(ProgramStep::Verify);
        VerifyResult verify;
        if (!VerifyEncoder(session, set, ownersBefore, verify)) return fail(ProgramStep::Verify);
        for (const VerifyRow& row : verify.rows)
            if (row.status == VerifyStatus::Different) o.differences.push_back(row);
        if (verify.HasDifferences()) {
            Set(o, ProgramStep::Verify, StepResult::Differences);
            return finish(ProgramResult::Differences);
        }
        Set(o, ProgramStep::Verify, StepResult::Ok);
    }

    if (request.store) {
        begin(ProgramStep::Store);
        if (!StoreToEeprom(session)) return fail(ProgramStep::Store);
        Set(o, ProgramStep::Store, StepResult::Ok);
    }
    return finish(ProgramResult::Programmed);
}

ConfigFileResult ReadProgramFile(const std::string& path, EncoderParameters& p, std::string& sha256) {
    // The platform's read first: it names every cause a file can fail with.
    EncoderParameters set = p;
    ConfigFileResult r = ReadConfigurationFile(path, set);
    if (!r.ok()) return r;
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        r.status = ConfigStatus::FileError;
        r.cause = kFileErrorGeneral;
        return r;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    set = p;
    r = ReadConfigurationHead(bytes.substr(0, kConfigFileHeadLimit), set);
    if (!r.ok()) return r;
    p = set;
    sha256 = Sha256Hex(bytes);
    return r;
}

std::string IsoLocalTime(std::time_t when) {
    // Copied at once, under a lock: both calls share one buffer, and stations of a batch
    // ask from threads of their own.
    static std::mutex buffer;
    std::unique_lock<std::mutex> lock(buffer);
    const std::tm local = *std::localtime(&when);
    const std::tm utc = *std::gmtime(&when);
    lock.unlock();
    const long long offsetMinutes = (SecondsOf(local) - SecondsOf(utc)) / 60;
    const long long away = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  offsetMinutes < 0 ? '-' : '+', away / 60, away % 60);
    return text;
}

const char* StepName(ProgramStep step) {
    switch (step) {
        case ProgramStep::Firmware:
            return "firmware";
        case ProgramStep::Send:
            return "send";
        case ProgramStep::Verify:
            return "verify";
        case ProgramStep::Store:
            return "store";
    }
    return "";
}

const char* StepResultName(StepResult result) {
    switch (result) {
        case StepResult::NotRequested:
            return "notRequested";
        case StepResult::Ok:
            return "ok";
        case StepResult::Failed:
            return "failed";
        case StepResult::Differences:
            return "differences";
        case StepResult::Interrupted:
            return "interrupted";
        case StepResult::Skipped:
            return "skipped";
    }
    return "";
}

const char* ProgramResultName(ProgramResult result) {
    switch (result) {
        case ProgramResult::Programmed:
            return "programmed";
        case ProgramResult::Failed:
            return "failed";
        case ProgramResult::Differences:
            return "differences";
        case ProgramResult::Interrupted:
            return "interrupted";
    }
    return "";
}

std::string ProgramStepText(ProgramStep step) {
    return ResText(std::string("program.step.") + StepName(step));
}

std::string ProgramResultText(ProgramResult result) {
    return ResText(std::string("program.result.") + ProgramResultName(result));
}

std::string ScanFirmwareText(const ScanResult& r) {
    return r.state == ScanState::Found ? FirmwareVersionText(r.firmware, true) : std::string();
}

std::string ScanStateText(const ScanResult& r) {
    switch (r.state) {
        case ScanState::Found: {
            std::string text = ResText("scan.found");
            const std::size_t at = text.find("%1");
            if (at != std::string::npos) text.replace(at, 2, ScanFirmwareText(r));
            return text;
        }
        case ScanState::NoEncoder:
            return ResText("scan.none");
        case ScanState::NotOpened:
            return PortStateText(r.diagnosis);
    }
    return {};
}

const char* ScanStateName(const ScanResult& r) {
    if (r.state == ScanState::Found) return "found";
    if (r.state == ScanState::NoEncoder) return "none";
    switch (r.diagnosis.problem) {
        case PortProblem::Missing:
            return "missing";
        case PortProblem::NoHardware:
            return "noHardware";
        case PortProblem::NoPermission:
            return "noPermission";
        case PortProblem::InUse:
            return "busy";
        case PortProblem::NotSerial:
            return "notSerial";
        case PortProblem::None:
        case PortProblem::Other:
            return "other";
    }
    return "other";
}

}  // namespace veltrin
