#pragma once
// The production line: programming one encoder after another from one configuration file, with
// a record of what was done to each; and the texts of a scan for encoders (params/Scan.h).
//
// Programming one encoder runs these steps, each only when the one before it succeeded:
//   firmware  the firmware-version read: does an encoder answer, and which version is it;
//   send      everything the configuration holds, as "Alles Senden" sends it (SendAll);
//   verify    (when asked) the encoder read back and compared with what the send wrote
//             (VerifyEncoder); a difference ends the steps there;
//   store     (when asked) the EEPROM store command, so that the encoder keeps the values. It
//             comes after the verify, so a configuration that did not arrive as sent is never
//             made permanent.
// A stop request on the link (Link::SetStopRequest, set from SIGINT) ends the steps between two
// telegrams; the step it cut short reads Interrupted.
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "doc/ConfigFile.h"
#include "doc/Verify.h"
#include "link/Link.h"
#include "params/EncoderParameters.h"
#include "params/Operations.h"
#include "params/Scan.h"

namespace veltrin {

enum class ProgramStep : std::uint8_t { Firmware, Send, Verify, Store };
inline constexpr std::array<ProgramStep, 4> kProgramSteps{ProgramStep::Firmware, ProgramStep::Send,
                                                          ProgramStep::Verify, ProgramStep::Store};

enum class StepResult : std::uint8_t {
    NotRequested,  ///< verify or store without being asked for
    Ok,
    Failed,       ///< the encoder operation failed; the error text says why
    Differences,  ///< verify: the encoder holds something else for at least one parameter
    Interrupted,  ///< a stop request ended it
    Skipped,      ///< not run, as a step before it did not succeed
};

enum class ProgramResult : std::uint8_t { Programmed, Failed, Differences, Interrupted };

struct ProgramRequest {
    bool verify = false;
    bool store = false;
    /// Called as each step begins (a live display shows it); from the programming thread.
    std::function<void(ProgramStep)> stepStarted;
};

struct ProgramOutcome {
    std::array<StepResult, 4> steps{};  ///< by ProgramStep
    ProgramResult result = ProgramResult::Failed;
    std::string firmware;                ///< "01.04"; empty when the read failed
    std::vector<VerifyRow> differences;  ///< the rows the verify found different
    std::string error;                   ///< the device-error text of the failed step, else empty
                                         ///< (a send that stopped by itself: its reason)
    /// The parameter of the failed send whose telegram the encoder refused, else nullopt.
    std::optional<Kp> refused;
    /// The status bits the send withheld because their position has another owner.
    std::vector<WithheldStatusBit> withheld;
    double seconds = 0;  ///< from the first telegram to the last

    StepResult Step(ProgramStep s) const { return steps[static_cast<std::size_t>(s)]; }
};

/// Programs the session's encoder from its parameter set: the steps above, with the session's
/// extended mode and status-bit table. The table is cleared first: a new encoder holds nothing
/// this session has sent. Blocks for the exchanges: about 2 s for the send, 5.5 s for the
/// verify at 2400 baud; up to 1.7 s when no encoder answers.
ProgramOutcome ProgramEncoder(EncoderSession& session, const ProgramRequest& request);

/// Reads the configuration file for programming into p, and the SHA-256 of the bytes it holds.
/// The set is taken from the very bytes that were hashed, so the record names what was sent
/// even if the file changes meanwhile. A file error leaves p and sha256 as they were.
ConfigFileResult ReadProgramFile(const std::string& path, EncoderParameters& p, std::string& sha256);

/// The local time as ISO 8601 with its offset from UTC: "2024-05-01T10:00:00+02:00".
std::string IsoLocalTime(std::time_t when);

// Stable names for the record.
const char* StepName(ProgramStep step);               ///< "firmware", "send", "verify", "store"
const char* StepResultName(StepResult result);        ///< "ok", "failed", "differences", ...
const char* ProgramResultName(ProgramResult result);  ///< "programmed", "failed", ...

// Texts from the resources in force.
/// "Firmware lesen", "Senden", "Prüfen", "EEPROM speichern".
std::string ProgramStepText(ProgramStep step);
/// "programmiert", "fehlgeschlagen", "abweichend", "abgebrochen".
std::string ProgramResultText(ProgramResult result);
/// The state of one scanned device: "Geber antwortet, Firmware 01.04", "kein Geber antwortet",
/// or the port's state ("keine Berechtigung (Gruppe dialout)", ...).
std::string ScanStateText(const ScanResult& r);
/// The firmware version of a found encoder as the presets dialog shows it; empty otherwise.
std::string ScanFirmwareText(const ScanResult& r);
/// A stable name of the state: "found", "none", or the port's problem ("busy", "noPermission",
/// "missing", "noHardware", "notSerial", "other").
const char* ScanStateName(const ScanResult& r);

}  // namespace veltrin
