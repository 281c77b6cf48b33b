#pragma once
// Random parameter sets inside the ranges the simulated encoder accepts, for the tests that send
// whole sets.
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "params/Encoding.h"
#include "params/Operations.h"
#include "sim/EncoderModel.h"

namespace veltrin::test {

struct Generator {
    std::mt19937 rng;
    int Range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    std::uint16_t Flag() { return static_cast<std::uint16_t>(Range(0, 1)); }
    std::int32_t S24() { return Range(-8388608, 8388607); }
    std::uint32_t U24() { return static_cast<std::uint32_t>(Range(0, 0xFFFFFF)); }
};

/// A parameter set inside the ranges the encoder accepts, with status-bit positions that do
/// not clash (each of 1 to 7 at most once, 8 any number of times).
inline EncoderParameters RandomSet(Generator& g) {
    EncoderParameters p;
    p = DefaultEncoderParameters();
    p.internalPreset = g.S24();
    p.extPreset1 = g.S24();
    p.extPreset2 = g.S24();
    p.presetOffset = g.S24();
    p.extPreset1On = g.Flag();
    p.extPreset2On = g.Flag();
    p.extPreset1ActiveHigh = g.Flag();
    p.extPreset2ActiveHigh = g.Flag();
    p.debounceTime = static_cast<std::uint32_t>(g.Range(sim::kMinDebounce, sim::kMaxDebounce));
    p.lengthMeasurementOn = g.Flag();
    p.scalingSelection = static_cast<std::uint16_t>(g.Range(0, 2));
    if (g.Flag()) {
        ScalingFactorTextFromWire(g.U24(), p.scalingFactorText);
    } else {  // a shorter text as typed, with its terminator
        const std::string typed = "0." + std::to_string(g.Range(0, 999999));
        std::memset(p.scalingFactorText, 0, sizeof p.scalingFactorText);
        std::memcpy(p.scalingFactorText, typed.data(), typed.size());
    }
    p.stepsForMeasuringSteps = g.U24();
    p.measuringSteps = g.U24();
    p.stepsForRevolutions = g.U24();
    p.revolutions = g.U24();
    p.limit1Value = g.S24();
    p.limit2Value = g.S24();
    p.limit3Value = g.S24();
    p.limit4Value = g.S24();

    std::vector<int> positions = {1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8};
    std::shuffle(positions.begin(), positions.end(), g.rng);
    const std::pair<std::int32_t*, std::pair<std::uint16_t*, std::uint16_t*>> bits[] = {
        {&p.limit1BitPosition, {&p.limit1BitOn, &p.limit1BitActiveLow}},
        {&p.limit2BitPosition, {&p.limit2BitOn, &p.limit2BitActiveLow}},
        {&p.limit3BitPosition, {&p.limit3BitOn, &p.limit3BitActiveLow}},
        {&p.limit4BitPosition, {&p.limit4BitOn, &p.limit4BitActiveLow}},
        {&p.overspeedBitPosition, {&p.overspeedBitOn, &p.overspeedBitActiveLow}},
        {&p.standstillBitPosition, {&p.standstillBitOn, &p.standstillBitActiveLow}},
        {&p.parityBitPosition, {&p.parityBitOn, &p.parityBitActiveLow}},
        {&p.encoderErrorBitPosition, {&p.encoderErrorBitOn, &p.encoderErrorBitActiveLow}},
        {&p.directionBitPosition, {&p.directionBitOn, &p.directionBitActiveLow}},
    };
    for (std::size_t i = 0; i < std::size(bits); ++i) {
        *bits[i].first = positions[i];
        *bits[i].second.first = g.Flag();
        *bits[i].second.second = g.Flag();
    }

    p.ssiConfiguration = static_cast<std::uint16_t>(g.Range(0, sim::kMaxSsiConfiguration));
    p.numberRepresentation = static_cast<std::uint16_t>(g.Range(0, sim::kMaxNumberRepresentation));
    p.outputCode = g.Flag();
    p.outputFormat = static_cast<std::uint16_t>(g.Range(0, sim::kMaxOutputFormat));
    p.bitsS = static_cast<std::uint32_t>(g.Range(0, sim::kMaxBitsS));
    p.bitsU = static_cast<std::uint32_t>(g.Range(0, sim::kMaxBitsU));
    p.countDirectionBackward = g.Flag();
    p.extDirSwitchOn = g.Flag();
    p.extDirSwitchActiveHigh = g.Flag();
    p.overspeedValue = static_cast<std::uint32_t>(g.Range(sim::kMinOverspeed, sim::kMaxOverspeed));
    p.positionShift = static_cast<std::uint16_t>(g.Range(0, sim::kMaxShiftAmount));  // right shifts
    return p;
}

}  // namespace veltrin::test
