// The scenes' encoders on Linux: simulators in this process, on pseudo-terminals.
#include <array>
#include <memory>

#include "ShotsEncoder.h"
#include "sim/EncoderSimulator.h"

namespace veltrin::shots {

std::string QueryEncoderDevice() {
    // Values that show every kind of text.
    static std::unique_ptr<sim::EncoderSimulator> encoder = [] {
        auto e = std::make_unique<sim::EncoderSimulator>();
        if (!e->Start()) return e;
        e->SetReplyBytes(1, {0x00, 0x30, 0x39});  // 12345
        e->SetReplyBytes(2, {0xFF, 0xFF, 0x9C});  // -100
        e->SetReplyBytes(3, {0x00, 0x03, 0xE8});  // 1000
        e->SetReplyBytes(4, {0x00, 0x00, 0x00});
        e->SetReplyBytes(32, {0x02, 0x01, 0x00});  // on, active 1
        e->SetReplyBytes(33, {0x00, 0x00, 0x00});
        e->SetReplyBytes(23, {0x0A, 0x00, 0x00});
        e->SetReplyBytes(39, {0x04, 0x00, 0x00});
        e->SetReplyBytes(8, {0x80, 0x00, 0x00});  // factor 0.5
        e->SetReplyBytes(10, {0x00, 0x10, 0x00});
        e->SetReplyBytes(11, {0x00, 0x08, 0x00});
        e->SetReplyBytes(9, {0x00, 0x10, 0x00});
        e->SetReplyBytes(16, {0xFF, 0xFF, 0xFF});
        e->SetReplyBytes(18, {0x7F, 0xFF, 0xFF});
        e->SetReplyBytes(17, {0x80, 0x00, 0x00});
        e->SetReplyBytes(19, {0x00, 0x10, 0x00});
        e->SetReplyBytes(40, {0x00, 0x00, 0x00});
        e->SetReplyBytes(42, {0x1B, 0x00, 0x00});
        e->SetReplyBytes(41, {0x0F, 0x00, 0x00});
        e->SetReplyBytes(43, {0x18, 0x00, 0x00});
        e->SetReplyBytes(22, {0xFF, 0x00, 0x00});
        e->SetReplyBytes(37, {0x01, 0x00, 0x00});  // fir tree: the bit split from KP 20
        e->SetReplyBytes(20, {0x9C, 0x00, 0x00});
        e->SetReplyBytes(30, {0x00, 0x01, 0x03});  // 3 to the left
        e->SetReplyBytes(14, {0x00, 0x1F, 0xA0, 0x03});
        e->SetReplyBytes(38, {0x01, 0x00, 0x00});
        e->SetReplyBytes(34, {0x80, 0x01, 0x00});
        e->SetActualValue(0x123456, 0xA5);
        e->SetSpeed(0);
        return e;
    }();
    return encoder->Running() ? encoder->DevicePath() : std::string();
}

std::string CompareEncoderDevice() {
    static sim::EncoderSimulator encoder;
    if (!encoder.Running() && !encoder.Start()) return {};
    return encoder.DevicePath();
}

std::vector<std::string> SeriesEncoderDevices(bool lineRate) {
    sim::SimulatorOptions options;
    options.lineRate = lineRate;
    using Set = std::array<std::unique_ptr<sim::EncoderSimulator>, 3>;
    static Set fast, paced;
    Set& set = lineRate ? paced : fast;
    std::vector<std::string> devices;
    for (auto& e : set) {
        if (!e) e = std::make_unique<sim::EncoderSimulator>(options);
        if (!e->Running() && !e->Start()) return {};
        devices.push_back(e->DevicePath());
    }
    set[2]->SetSilent(true);
    return devices;
}

std::string ExampleAdapterDevice() { return "/dev/ttyUSB0"; }

}  // namespace veltrin::shots
