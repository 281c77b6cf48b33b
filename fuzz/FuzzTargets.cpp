#include "fuzz/FuzzTargets.h"

#include <array>
#include <cstring>
#include <sstream>
#include <string>

#include "doc/ConfigFile.h"
#include "params/InputRules.h"

namespace veltrin::fuzz {

namespace {
void Check(bool property) {
    if (!property) __builtin_trap();
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

}  // namespace veltrin::fuzz
