#pragma once
// A batch: programming encoders on several serial devices side by side, from one configuration,
// one station per device. Each station has a thread, a port and an encoder session of its own
// and runs the steps of ProgramEncoder for the encoder on its line; with repeat it then waits
// until that encoder is taken off and the next one answers, on its own. Nothing a station meets
// (a silent encoder, a refusal, a pulled adapter, a difference) reaches another one.
//
// A stop request (Stop(), or the flag a signal handler sets) ends every station between two
// telegrams: a block already begun runs to its end, the encoder being programmed is reported
// as interrupted, and every port is closed before Run returns.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "doc/Series.h"
#include "link/Link.h"
#include "link/PortDiagnosis.h"
#include "params/EncoderParameters.h"

namespace veltrin {

struct BatchJob {
    std::vector<std::string> devices;  ///< one station each, in this order
    EncoderParameters set{};           ///< what every encoder is programmed with
    std::int32_t extendedMode = 0;
    bool verify = false;
    bool store = false;
    /// Program one encoder after the other on every station until stopped; otherwise the
    /// encoder on each line once.
    bool repeat = false;
    /// The link timing of the programming (tests shorten it); the program's own by default.
    LinkTiming timing{};
    /// How often a waiting station looks for its encoder coming or going.
    int pollIntervalMs = 500;
};

enum class StationState : std::uint8_t {
    Starting,     ///< the thread is opening its port
    Waiting,      ///< for an encoder to answer (repeat)
    Programming,  ///< the steps run; step says which
    Removing,     ///< waiting for the encoder just programmed to be taken off (repeat)
    Finished,     ///< the station is done (or stopped)
};

/// What a live display shows of a station.
struct StationStatus {
    std::string device;
    StationState state = StationState::Starting;
    ProgramStep step = ProgramStep::Firmware;  ///< while Programming
    std::optional<ProgramResult> last;         ///< the result of its last encoder
    std::string lastFirmware;                  ///< that encoder's firmware ("01.04"), or empty
    /// Why the last encoder did not program, or the port's problem; empty otherwise.
    std::string problem;
    int programmed = 0;   ///< encoders programmed without a fault
    int differences = 0;  ///< encoders whose verify found a difference
    int failed = 0;       ///< encoders that failed (or stations whose port did not open)
    int interrupted = 0;  ///< encoders cut short by the stop request

    int Count() const { return programmed + differences + failed + interrupted; }
};

/// The counts of all the stations together (the summary "in all").
StationStatus Totals(const std::vector<StationStatus>& stations);

/// One encoder's programming, as the batch reports it.
struct BatchRecord {
    std::size_t station = 0;  ///< 0-based, in the order of the job's devices
    std::string device;
    std::time_t when = 0;  ///< when its steps began
    ProgramOutcome outcome;
};

/// Told about the stations while they run, from their threads. The calls are serialized: never
/// two at once, so a listener needs no lock of its own for its output, but it holds up every
/// station while it runs.
class BatchListener {
public:
    virtual ~BatchListener() = default;
    /// A station's state, step or counts changed; status is its whole state now.
    virtual void StationChanged(std::size_t station, const StationStatus& status) = 0;
    /// An encoder was programmed (or failed, or was interrupted); called before the station
    /// changes to its next state. Its port's problem, when it has one, is in outcome.error.
    virtual void EncoderDone(const BatchRecord& record) = 0;
};

class Batch {
public:
    /// stop, when given, is the stop request every station reads (a signal handler may set
    /// it); otherwise the batch has one of its own. Stop() sets it either way.
    explicit Batch(BatchJob job, std::atomic<bool>* stop = nullptr);
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    /// Runs every station, each in a thread of its own, and returns when all have finished:
    /// without repeat when each has programmed its encoder (about 8 s at 2400 baud with verify
    /// and store, up to some 2 s for a line where no encoder answers), with repeat when
    /// stopped. listener may be nullptr.
    void Run(BatchListener* listener);
    /// Asks every station to stop between two telegrams. Safe from any thread.
    void Stop() { stop_->store(true); }
    bool StopRequested() const { return stop_->load(); }

    /// Every station's state now (a copy; safe while Run runs).
    std::vector<StationStatus> Stations() const;

private:
    void RunStation(std::size_t index);
    void Changed(std::size_t index, const std::function<void(StationStatus&)>& change);
    void Done(const BatchRecord& record, const std::function<void(StationStatus&)>& change);

    BatchJob job_;
    std::atomic<bool> ownStop_{false};
    std::atomic<bool>* stop_;
    mutable std::mutex mutex_;  ///< guards stations_ and the listener's calls
    std::vector<StationStatus> stations_;
    BatchListener* listener_ = nullptr;
};

/// Whether two devices are named twice, as themselves or through links to the same device
/// (a link in /dev/serial/by-id and its ttyUSB): the first such name, else empty.
std::string RepeatedDevice(const std::vector<std::string>& devices);

}  // namespace veltrin
