#include "params/Scan.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <system_error>
#include <thread>

#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "link/Timing.h"
#include "params/Exchange.h"
#include "res/Utf8Path.h"

namespace veltrin {

std::string DeviceKey(const std::string& device) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(PathFromUtf8(device), ec);
    return ec ? device : Utf8FromPath(real);
}

namespace {

ScanResult Probe(const std::string& device, const LinkTiming& timing) {
    ScanResult r;
    r.device = device;
    CSerialPort port;
    port.SetDeviceOverride(device);
    if (!port.Open()) {
        r.state = ScanState::NotOpened;
        r.diagnosis = port.OpenFailure();
        return r;
    }
    Link link(&port);
    link.timing = timing;
    r.state = ProbeFirmware(link, r.firmware) ? ScanState::Found : ScanState::NoEncoder;
    port.Close();
    return r;
}

// Sleeps ms milliseconds, in steps, and less when a stop is requested.
void SleepUnlessStopped(const Link& link, int ms) {
    Deadline deadline(ms);
    while (!link.StopRequested()) {
        const int left = deadline.RemainingMs();
        if (left <= 0) return;
        PauseMs(std::min(left, 50));
    }
}

}  // namespace

LinkTiming ProbeTiming() {
    LinkTiming t;
    t.retryCount = {2, 2, 0};
    t.charTimeoutMs = {200, 200, 0};
    t.handshakeTimeoutMs = {300, 300, 0};
    return t;
}

std::vector<std::string> ScanCandidates() { return SerialDevices(); }

std::vector<ScanResult> ScanForEncoders(const std::vector<std::string>& devices, const ScanOptions& options) {
    std::vector<ScanResult> results(devices.size());
    // One probe per device; the other names of it take its result afterwards.
    std::vector<std::size_t> sameAs(devices.size());
    std::vector<std::size_t> probes;
    std::map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto [at, inserted] = seen.emplace(DeviceKey(devices[i]), i);
        sameAs[i] = at->second;
        if (inserted) probes.push_back(i);
    }

    // Workers take the next device until none is left; each writes only its own results.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t k; (k = next.fetch_add(1)) < probes.size();)
            results[probes[k]] = Probe(devices[probes[k]], options.timing);
    };
    const std::size_t parallel =
        std::min<std::size_t>(probes.size(), static_cast<std::size_t>(std::max(1, options.maxParallel)));
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < parallel; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the ones there share the work
        }
    }
    work();
    for (std::thread& t : helpers) t.join();

    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (sameAs[i] == i) continue;
        results[i] = results[sameAs[i]];
        results[i].device = devices[i];
    }
    return results;
}

bool ProbeFirmware(Link& link, std::array<char, 4>& firmware) {
    const ByteChannel* port = link.Port();
    if (!port || !port->IsOpen()) return false;
    const Telegram request = ReadRequest(CatalogueEntry(Kp::FirmwareVersion).number);
    return link.SendTelegram(kChannel, request.data(), static_cast<int>(request.size())) &&
           detail::ReceiveReadReply(link, Kp::FirmwareVersion) &&
           detail::FirmwareCharacters(link.replyBlock, firmware);
}

bool AwaitEncoder(Link& link, bool present, int intervalMs, std::array<char, 4>* firmware,
                  const std::function<void()>& afterFailedPoll) {
    const LinkTiming saved = link.timing;
    link.timing = ProbeTiming();
    bool reached = false;
    int misses = 0;
    while (!link.StopRequested()) {
        std::array<char, 4> characters{};
        const bool answered = ProbeFirmware(link, characters);
        if (link.StopRequested()) break;
        if (present && answered) {
            if (firmware) *firmware = characters;
            reached = true;
            break;
        }
        misses = answered ? 0 : misses + 1;
        if (!present && misses >= kAbsentReads) {
            reached = true;
            break;
        }
        if (!answered && afterFailedPoll) afterFailedPoll();
        SleepUnlessStopped(link, intervalMs);
    }
    link.timing = saved;
    return reached;
}

}  // namespace veltrin
