#include "fuzz/FuzzTargets.h"

#include <array>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "doc/ConfigFile.h"
#include "link/ByteChannel.h"
#include "link/Link.h"
#include "params/Encoding.h"
#include "params/InputRules.h"

namespace veltrin::fuzz {

namespace {
void Check(bool property) {
    if (!property) __builtin_trap();
}

/// The line as the fuzzer gives it: every byte there at once, no waiting; counts what the
/// receiver took and wrote.
class LineChannel : public ByteChannel {
public:
    LineChannel(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool IsOpen() const override { return true; }
    int PortNumber() const override { return 1; }
    std::uint32_t InputCount() override { return static_cast<std::uint32_t>(size_ - taken_); }
    bool WaitForInput(int) override { return taken_ < size_; }
    std::uint32_t Read(std::uint32_t count) override {
        if (count == 0) count = 511;
        std::uint32_t n = 0;
        while (n < count && n < sizeof buffer_ && taken_ < size_) buffer_[n++] = data_[taken_++];
        return n;
    }
    const std::uint8_t* ReadBuffer() const override { return buffer_; }
    bool Write(const std::uint8_t*, std::uint32_t length) override {
        written += length;
        return true;
    }
    void Purge() override { taken_ = size_; }
    std::size_t Taken() const { return taken_; }
    std::size_t written = 0;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t taken_ = 0;
    std::uint8_t buffer_[512] = {};
};

/// A block on the line: data with DLE doubled, DLE ETX and the block check.
std::vector<std::uint8_t> Framed(const std::uint8_t* data, std::size_t n) {
    std::vector<std::uint8_t> out;
    std::uint8_t check = DLE ^ ETX;
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(data[i]);
        if (data[i] == DLE)
            out.push_back(DLE);
        else
            check ^= data[i];
    }
    out.insert(out.end(), {DLE, ETX, check});
    return out;
}
}  // namespace

int FuzzReadConfiguration(const std::uint8_t* data, std::size_t size) {
    EncoderParameters p;
    std::memset(&p, 0xA5, sizeof p);
    EncoderParameters before = p;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    ConfigStatus status = ReadConfiguration(in, p);
    if (status != ConfigStatus::Ok) {
        Check(std::memcmp(&p, &before, sizeof p) == 0);
        return 0;
    }
    // The record is the 196 bytes that end where reading stopped.
    auto end = static_cast<std::size_t>(in.tellg());
    Check(end >= 1 + kConfigMarkerLength + sizeof(EncoderParameters) && end <= size);
    std::ostringstream out;
    Check(WriteConfiguration(out, p));
    const std::string written = out.str();
    Check(written.size() == kConfigFileSize);
    Check(std::memcmp(written.data() + 8, data + end - sizeof(EncoderParameters), sizeof(EncoderParameters)) == 0);
    return 0;
}

int FuzzInputRules(const std::uint8_t* data, std::size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    const std::string converted = ApplyHexNotation(typed);
    // A converted text is a plain decimal number, which the notation leaves alone.
    if (converted != typed) {
        Check(ApplyHexNotation(converted) == converted);
        Check(!converted.empty() && converted.size() <= 11);
        Check(converted.find_first_not_of("-0123456789") == std::string::npos);
    }
    const std::int32_t value = TextToNumber(converted);
    Check(TextToNumber(std::to_string(value)) == value);
    (void)TextToNumber(typed);
    Check(FitsCharacterLimit(converted, converted.size()));
    // A whole number reads back from its own decimal form; none is found in a text that has
    // anything but a minus sign and digits.
    if (const auto whole = WholeNumber(converted)) {
        Check(converted.find_first_not_of("-0123456789") == std::string::npos);
        if (*whole >= kSigned24Min && *whole <= kUnsigned24Max)
            Check(WholeNumber(std::to_string(*whole)) == whole);
    }
    if (CheckScalingFactorText(typed) == FactorCheck::Ok) {
        const double factor = ParseScalingFactorText(typed);
        Check(factor >= 0.0 && factor <= 1.0 && typed.size() <= kScalingFactorFieldSize);
    }
    (void)FitsCharacterLimit(typed, kShortFieldCharLimit);

    std::array<std::int32_t, 4> positions{};
    std::uint32_t steps[2] = {};
    if (size >= sizeof positions) std::memcpy(positions.data(), data, sizeof positions);
    if (size >= sizeof steps) std::memcpy(steps, data, sizeof steps);
    BitPositionCheck check = CheckLimitBitPositions(positions);
    if (!check.ok) {
        Check(check.position >= 0 && check.position <= 7);
        int uses = 0;
        for (auto position : positions) uses += position == check.position;
        Check(uses >= 2);
    }
    Check(MeasuringStepsValid(steps[0], steps[1]) ==
          (static_cast<std::int32_t>(steps[0]) >= static_cast<std::int32_t>(steps[1])));
    return 0;
}

int FuzzReplyReceiver(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int length = data[0] % 6;
    LineChannel line(data + 1, size - 1);
    Link link(&line);
    ReplyBlock block;
    block.count = 0xEE;
    block.data.fill(0xA5);
    const bool ok = link.ReceiveBlockOfLength(kChannel, block, length);
    Check(line.written == 0);
    if (!ok) {
        Check(block.count == 0);
        return 0;
    }
    Check(block.count >= length);
    const std::vector<std::uint8_t> framed = Framed(block.data.data(), block.count);
    Check(framed.size() == line.Taken());
    Check(std::memcmp(framed.data(), data + 1, framed.size()) == 0);
    return 0;
}

}  // namespace veltrin::fuzz
