#pragma once
// EncoderParameters: a parameter set of the encoder, exactly 196 bytes. Configuration files
// store these bytes unchanged, so every member's offset and width below is a file format.
// Multi-byte members are little-endian in files whatever the host: the file code converts.
#include <cstddef>
#include <cstdint>

namespace veltrin {

struct EncoderParameters {
    std::uint32_t reserved0;
    std::int32_t internalPreset;
    std::int32_t extPreset1;
    std::uint16_t extPreset1On;
    std::uint16_t reserved0E;
    std::int32_t extPreset2;
    std::uint16_t extPreset2On;
    std::uint16_t presetReplyBit5Clear;
    std::uint16_t presetReplyBit6Clear;
    std::uint16_t extPreset1ActiveHigh;
    std::uint16_t extPreset2ActiveHigh;
    std::uint16_t extDirSwitchActiveHigh;
    std::int32_t presetOffset;
    std::uint32_t debounceTime;
    std::uint16_t lengthMeasurementOn;
    char scalingFactorText[10];  // decimal text; no terminator when it has 10 characters
    std::uint32_t stepsForMeasuringSteps;
    std::uint32_t measuringSteps;
    std::uint32_t stepsForRevolutions;
    std::uint32_t revolutions;
    std::uint16_t scalingSelection;
    std::uint16_t reserved46;
    std::int32_t limit1BitPosition;
    std::uint16_t limit1BitOn;
    std::uint16_t limit1BitActiveLow;
    std::int32_t limit2Value;
    std::int32_t limit2BitPosition;
    std::uint16_t limit2BitOn;
    std::uint16_t limit2BitActiveLow;
    std::int32_t limit3Value;
    std::int32_t limit3BitPosition;
    std::uint16_t limit3BitOn;
    std::uint16_t limit3BitActiveLow;
    std::int32_t limit4Value;
    std::int32_t limit4BitPosition;
    std::uint16_t limit4BitOn;
    std::uint16_t limit4BitActiveLow;
    std::int32_t limit1Value;  // behind the other three limits; the file keeps this order
    std::uint16_t ssiConfiguration;
    std::uint16_t reserved7A;
    std::uint16_t numberRepresentation;
    std::uint16_t outputCode;
    std::uint16_t outputFormat;
    std::uint16_t reserved82;
    std::uint32_t bitsS;
    std::uint32_t bitsU;
    std::uint32_t bitsTotal;
    std::uint16_t countDirectionBackward;
    std::uint16_t extDirSwitchOn;
    std::uint32_t overspeedValue;
    std::int32_t overspeedBitPosition;
    std::uint16_t overspeedBitOn;
    std::uint16_t overspeedBitActiveLow;
    std::int32_t standstillBitPosition;
    std::uint16_t standstillBitOn;
    std::uint16_t standstillBitActiveLow;
    std::int32_t parityBitPosition;
    std::uint16_t parityBitOn;
    std::uint16_t parityBitActiveLow;
    std::int32_t encoderErrorBitPosition;
    std::uint16_t encoderErrorBitOn;
    std::uint16_t encoderErrorBitActiveLow;
    std::int32_t directionBitPosition;
    std::uint16_t directionBitOn;
    std::uint16_t directionBitActiveLow;
    std::uint16_t positionShift;  // bits 0-7 the amount, bit 8 set: "links"
    std::uint16_t reservedC2;
};

static_assert(sizeof(EncoderParameters) == 196);
static_assert(offsetof(EncoderParameters, internalPreset) == 4);
static_assert(offsetof(EncoderParameters, extPreset1On) == 12);
static_assert(offsetof(EncoderParameters, extPreset2) == 16);
static_assert(offsetof(EncoderParameters, presetReplyBit5Clear) == 22);
static_assert(offsetof(EncoderParameters, extDirSwitchActiveHigh) == 30);
static_assert(offsetof(EncoderParameters, presetOffset) == 32);
static_assert(offsetof(EncoderParameters, debounceTime) == 36);
static_assert(offsetof(EncoderParameters, lengthMeasurementOn) == 40);
static_assert(offsetof(EncoderParameters, scalingFactorText) == 42);
static_assert(offsetof(EncoderParameters, stepsForMeasuringSteps) == 52);
static_assert(offsetof(EncoderParameters, revolutions) == 64);
static_assert(offsetof(EncoderParameters, scalingSelection) == 68);
static_assert(offsetof(EncoderParameters, limit1BitPosition) == 72);
static_assert(offsetof(EncoderParameters, limit2Value) == 80);
static_assert(offsetof(EncoderParameters, limit3Value) == 92);
static_assert(offsetof(EncoderParameters, limit4Value) == 104);
static_assert(offsetof(EncoderParameters, limit4BitActiveLow) == 114);
static_assert(offsetof(EncoderParameters, limit1Value) == 116);
static_assert(offsetof(EncoderParameters, ssiConfiguration) == 120);
static_assert(offsetof(EncoderParameters, reserved7A) == 122);
static_assert(offsetof(EncoderParameters, outputFormat) == 128);
static_assert(offsetof(EncoderParameters, bitsS) == 132);
static_assert(offsetof(EncoderParameters, bitsTotal) == 140);
static_assert(offsetof(EncoderParameters, countDirectionBackward) == 144);
static_assert(offsetof(EncoderParameters, overspeedValue) == 148);
static_assert(offsetof(EncoderParameters, overspeedBitPosition) == 152);
static_assert(offsetof(EncoderParameters, standstillBitPosition) == 160);
static_assert(offsetof(EncoderParameters, parityBitPosition) == 168);
static_assert(offsetof(EncoderParameters, encoderErrorBitPosition) == 176);
static_assert(offsetof(EncoderParameters, directionBitPosition) == 184);
static_assert(offsetof(EncoderParameters, positionShift) == 192);

}  // namespace veltrin
