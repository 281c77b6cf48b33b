#include "doc/Batch.h"

#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "link/SerialPort.h"
#include "params/EncoderSession.h"
#include "params/Scan.h"

namespace veltrin {

namespace {

/// Keeps the link's own message (the port that is not open) for the station's record instead
/// of writing it anywhere: stations run side by side.
class KeptMessage : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { text_ = text; }
    std::string Take() { return std::exchange(text_, {}); }

private:
    std::string text_;
};

void Count(StationStatus& s, ProgramResult result) {
    switch (result) {
        case ProgramResult::Programmed:
            ++s.programmed;
            break;
        case ProgramResult::Differences:
            ++s.differences;
            break;
        case ProgramResult::Failed:
            ++s.failed;
            break;
        case ProgramResult::Interrupted:
            ++s.interrupted;
            break;
    }
}

}  // namespace

Batch::Batch(BatchJob job, std::atomic<bool>* stop) : job_(std::move(job)), stop_(stop ? stop : &ownStop_) {
    stations_.resize(job_.devices.size());
    for (std::size_t i = 0; i < stations_.size(); ++i) stations_[i].device = job_.devices[i];
}

std::vector<StationStatus> Batch::Stations() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stations_;
}

void Batch::Changed(std::size_t index, const std::function<void(StationStatus&)>& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change(stations_[index]);
    if (listener_) listener_->StationChanged(index, stations_[index]);
}

void Batch::Done(const BatchRecord& record, const std::function<void(StationStatus&)>& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (listener_) listener_->EncoderDone(record);
    change(stations_[record.station]);
    if (listener_) listener_->StationChanged(record.station, stations_[record.station]);
}

void Batch::Run(BatchListener* listener) {
    listener_ = listener;
    std::vector<std::thread> threads;
    std::vector<std::size_t> inline_;
    for (std::size_t i = 0; i < job_.devices.size(); ++i) {
        try {
            threads.emplace_back([this, i] { RunStation(i); });
        } catch (const std::system_error&) {
            inline_.push_back(i);  // no thread to be had: this one runs it once the others are going
        }
    }
    for (std::size_t i : inline_) RunStation(i);
    for (std::thread& t : threads) t.join();
    listener_ = nullptr;
}

void Batch::RunStation(std::size_t index) {
    const std::string& device = job_.devices[index];
    EncoderSession session;
    InitEncoderParameters(session);
    session.link.timing = job_.timing;
    session.parameters = job_.set;
    session.extendedMode = job_.extendedMode;
    KeptMessage message;
    CSerialPort port;
    port.SetDeviceOverride(device);
    session.link.SetMessageSink(&message);
    session.link.SetPort(&port);
    session.link.SetStopRequest(stop_);

    ProgramRequest request;
    request.verify = job_.verify;
    request.store = job_.store;
    request.stepStarted = [&](ProgramStep step) {
        Changed(index, [step](StationStatus& s) {
            s.state = StationState::Programming;
            s.step = step;
        });
    };
    const auto programOne = [&] {
        BatchRecord record{index, device, std::time(nullptr), {}};
        record.outcome = ProgramEncoder(session, request);
        // A port that is not open says so itself, naming the device and the reason.
        if (const std::string why = message.Take();
            !why.empty() && record.outcome.result == ProgramResult::Failed)
            record.outcome.error = why;
        Done(record, [&record](StationStatus& s) {
            Count(s, record.outcome.result);
            s.last = record.outcome.result;
            s.lastFirmware = record.outcome.firmware;
            s.problem = record.outcome.error;
        });
    };

    port.Open();
    if (!job_.repeat) {
        programOne();
    } else {
        // A port that does not open is said once and tried again at every look: an adapter
        // plugged in later is found.
        if (!port.IsOpen()) {
            const std::string why = PortDiagnosisText(port.OpenFailure());
            Changed(index, [&why](StationStatus& s) { s.problem = why; });
        }
        const auto reopen = [&port] {
            port.Close();
            port.Open();
        };
        while (!StopRequested()) {
            Changed(index, [](StationStatus& s) { s.state = StationState::Waiting; });
            if (!AwaitEncoder(session.link, true, job_.pollIntervalMs, nullptr, reopen)) break;
            programOne();
            if (StopRequested()) break;
            Changed(index, [](StationStatus& s) { s.state = StationState::Removing; });
            if (!AwaitEncoder(session.link, false, job_.pollIntervalMs)) break;
        }
    }
    session.link.SetPort(nullptr);
    port.Close();
    Changed(index, [](StationStatus& s) { s.state = StationState::Finished; });
}

StationStatus Totals(const std::vector<StationStatus>& stations) {
    StationStatus all;
    for (const StationStatus& s : stations) {
        all.programmed += s.programmed;
        all.differences += s.differences;
        all.failed += s.failed;
        all.interrupted += s.interrupted;
    }
    return all;
}

std::string RepeatedDevice(const std::vector<std::string>& devices) {
    std::set<std::string> seen;
    for (const std::string& device : devices)
        if (!seen.insert(DeviceKey(device)).second) return device;
    return {};
}

}  // namespace veltrin
