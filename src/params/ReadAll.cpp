// Read-all: every parameter the program configures, read from the encoder into the parameter
// set, one step at a time, each reply stored as soon as it has arrived.
#include <array>

#include "params/Encoding.h"
#include "params/Exchange.h"
#include "params/Operations.h"
#include "params/ReadAllSteps.h"

namespace veltrin {

namespace {
using detail::kLimitBits;
using detail::kStatusBitFunctions;
using detail::StoreStatusBitByte;

std::uint16_t Bit(std::uint8_t byte, int n) { return static_cast<std::uint16_t>((byte >> n) & 1); }

// A shift the encoder reports above this amount is not taken over.
constexpr int kMaxShift = 16;

struct Step {
    Kp kp;
    void (*store)(const ReplyBlock& r, EncoderParameters& p);
};

// clang-format off
constexpr std::array<Step, kReadAllSteps> kSteps{{
    /*  1 */ {Kp::InternalPreset, [](const ReplyBlock& r, EncoderParameters& p) { p.internalPreset = DecodeSigned24(r); }},
    /*  2 */ {Kp::ExtPreset1, [](const ReplyBlock& r, EncoderParameters& p) { p.extPreset1 = DecodeSigned24(r); }},
    /*  3 */ {Kp::ExtPreset1Input, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.extPreset1On = Bit(r.b(1), 1);
                 p.presetReplyBit5Clear = Bit(r.b(2), 5) ^ 1;
                 p.presetReplyBit6Clear = Bit(r.b(2), 6) ^ 1;
                 p.extPreset1ActiveHigh = Bit(r.b(2), 0);   // set: "aktiv 1"
             }},
    /*  4 */ {Kp::ExtPreset2, [](const ReplyBlock& r, EncoderParameters& p) { p.extPreset2 = DecodeSigned24(r); }},
    /*  5 */ {Kp::ExtPreset2Input, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.extPreset2On = Bit(r.b(1), 2);
                 p.extPreset2ActiveHigh = Bit(r.b(2), 0);
             }},
    /*  6 */ {Kp::PresetOffset, [](const ReplyBlock& r, EncoderParameters& p) { p.presetOffset = DecodeSigned24(r); }},
    /*  7 */ {Kp::DebounceTime, [](const ReplyBlock& r, EncoderParameters& p) { p.debounceTime = r.b(1); }},
    /*  8 */ {Kp::LengthMeasurement, [](const ReplyBlock& r, EncoderParameters& p) { p.lengthMeasurementOn = Bit(r.b(1), 2); }},
    /*  9 */ {Kp::ScalingFactor, [](const ReplyBlock& r, EncoderParameters& p) {
                 ScalingFactorTextFromWire(DecodeUnsigned24(r), p.scalingFactorText);
             }},
    /* 10 */ {Kp::Steps, [](const ReplyBlock& r, EncoderParameters& p) { p.stepsForMeasuringSteps = DecodeUnsigned24(r); }},
    /* 11 */ {Kp::MeasuringSteps, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.measuringSteps = DecodeUnsigned24(r);
                 // The encoder has one steps parameter; both scalings show it.
                 p.stepsForRevolutions = p.stepsForMeasuringSteps;
             }},
    /* 12 */ {Kp::Revolutions, [](const ReplyBlock& r, EncoderParameters& p) { p.revolutions = DecodeUnsigned24(r); }},
    /* 13 */ {Kp::Limit1Value, [](const ReplyBlock& r, EncoderParameters& p) { p.limit1Value = DecodeSigned24(r); }},
    /* 14 */ {Kp::Limit1Bit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kLimitBits[0]); }},
    /* 15 */ {Kp::Limit2Value, [](const ReplyBlock& r, EncoderParameters& p) { p.limit2Value = DecodeSigned24(r); }},
    /* 16 */ {Kp::Limit2Bit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kLimitBits[1]); }},
    /* 17 */ {Kp::Limit3Value, [](const ReplyBlock& r, EncoderParameters& p) { p.limit3Value = DecodeSigned24(r); }},
    /* 18 */ {Kp::Limit3Bit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kLimitBits[2]); }},
    /* 19 */ {Kp::Limit4Value, [](const ReplyBlock& r, EncoderParameters& p) { p.limit4Value = DecodeSigned24(r); }},
    /* 20 */ {Kp::Limit4Bit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kLimitBits[3]); }},
    /* 21 */ {Kp::SsiConfiguration, [](const ReplyBlock& r, EncoderParameters& p) { p.ssiConfiguration = Bit(r.b(2), 3) ^ 1; }},
    /* 22 */ {Kp::NumberRepresentation, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.numberRepresentation = Bit(r.b(2), 4) ? 2 : Bit(r.b(1), 4);
             }},
    /* 23 */ {Kp::OutputCode, [](const ReplyBlock& r, EncoderParameters& p) { p.outputCode = Bit(r.b(1), 0); }},
    /* 24 */ {Kp::OutputFormat, [](const ReplyBlock& r, EncoderParameters& p) { p.outputFormat = r.b(1) & 0x03; }},
    /* 25 */ {Kp::BitNibbles, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.bitsS = (r.b(1) >> 4) & 0x0F;
                 p.bitsU = r.b(1) & 0x0F;
             }},
    /* 26 */ {Kp::BitCounts, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.bitsTotal = r.b(1);
                 // "Tannenbaum" (format 1) keeps the counts of the nibbles just read.
                 if (p.outputFormat != 1) {
                     p.bitsU = r.b(2);
                     p.bitsS = r.b(3);
                 }
             }},
    /* 27 */ {Kp::CountDirection, [](const ReplyBlock& r, EncoderParameters& p) { p.countDirectionBackward = Bit(r.b(1), 0); }},
    // The level too: a backup without it would set the encoder's input back to "aktiv 0".
    /* 28 */ {Kp::ExtDirSwitchInput, [](const ReplyBlock& r, EncoderParameters& p) {
                 p.extDirSwitchOn = Bit(r.b(1), 7);
                 p.extDirSwitchActiveHigh = Bit(r.b(2), 0);   // set: "aktiv 1"
             }},
    /* 29 */ {Kp::OverspeedValue, [](const ReplyBlock& r, EncoderParameters& p) { p.overspeedValue = r.b(1); }},
    /* 30 */ {Kp::OverspeedBit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kStatusBitFunctions[0]); }},
    /* 31 */ {Kp::StandstillBit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kStatusBitFunctions[1]); }},
    /* 32 */ {Kp::ParityBit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kStatusBitFunctions[2]); }},
    /* 33 */ {Kp::EncoderErrorBit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kStatusBitFunctions[3]); }},
    /* 34 */ {Kp::DirectionBit, [](const ReplyBlock& r, EncoderParameters& p) { StoreStatusBitByte(r.b(1), p, kStatusBitFunctions[4]); }},
    /* 35 */ {Kp::PositionShift, [](const ReplyBlock& r, EncoderParameters& p) {
                 const int shift = r.b(2) * 256 + r.b(3);
                 p.positionShift = static_cast<std::uint16_t>(shift <= kMaxShift ? shift : 0);
             }},
}};
// clang-format on
}  // namespace

Kp ReadAllStepKp(int step) {
    return (step >= 1 && step <= kReadAllSteps) ? kSteps[static_cast<std::size_t>(step - 1)].kp
                                                : Kp::ActualValue;
}

void StoreReadAllReply(int step, const ReplyBlock& reply, EncoderParameters& p) {
    if (step >= 1 && step <= kReadAllSteps) kSteps[static_cast<std::size_t>(step - 1)].store(reply, p);
}

bool ReadAllReplies(Link& link, const std::function<void(int step, const ReplyBlock* reply)>& take) {
    for (int step = 1; step < kReadAllSteps; ++step) {
        if (!detail::ReadParameter(link, ReadAllStepKp(step))) return false;
        take(step, &link.replyBlock);
    }
    // The shift comes last and is optional: a request that fails ends read-all with false,
    // a reply that fails is handed on as none.
    if (!detail::RequestRead(link, ReadAllStepKp(kReadAllSteps))) return false;
    take(kReadAllSteps,
         detail::ReceiveReadReply(link, ReadAllStepKp(kReadAllSteps)) ? &link.replyBlock : nullptr);
    return true;
}

bool ReadAll(EncoderSession& session) { return ReadAll(session, session.parameters); }

bool ReadAll(EncoderSession& session, EncoderParameters& p) {
    return ReadAllReplies(session.link, [&p](int step, const ReplyBlock* reply) {
        if (reply)
            StoreReadAllReply(step, *reply, p);
        else
            p.positionShift = 0;  // the shift's reply failed
    });
}

}  // namespace veltrin
