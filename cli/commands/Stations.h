#pragma once
// program with several stations (--device A --device B ..., or --all): the batch of the core
// run from the command line, with its live table or plain lines, and SIGINT as the stop.
#include <atomic>
#include <string>
#include <vector>

#include "cli/Session.h"
#include "doc/SeriesLog.h"

namespace veltrin::cli {

/// The lines of one encoder's programming on the output: "device: firmware: result (time)",
/// then each difference the verify found.
std::string EncoderLines(const std::string& device, const ProgramOutcome& outcome);
/// Its reasons for the error stream, each line beginning with prefix: the error, the refused
/// parameter, the status bits withheld.
std::string ProblemLines(const ProgramOutcome& outcome, const std::string& prefix);

/// An encoder cut short by SIGINT (or SIGTERM): 128 + the signal, as shells report it.
inline constexpr int kExitInterrupted = 130;

/// While it lives, SIGINT and SIGTERM only set the flag that the links' stop requests read:
/// the exchanges on the lines run to their ends, no further telegram starts, and the command
/// ends its record and closes the ports as usual. The handlers before come back afterwards.
class StopOnSignal {
public:
    StopOnSignal();
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    std::atomic<bool>* Flag();

private:
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

/// Programs the encoders on the devices given (every device where scan finds an encoder when
/// the list is empty: --all) side by side from the set in the session, one station each; the
/// command's flags say verify, store and repeat. Returns the exit status: 0 all programmed,
/// 4 a difference, 1 a failure, 130 interrupted, 3 when the log could not be written.
int ProgramStations(Session& s, const CommandArgs& c, const std::vector<std::string>& devices,
                    const ProgramFile& file, SeriesLog* log);

}  // namespace veltrin::cli
