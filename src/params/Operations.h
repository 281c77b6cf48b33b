#pragma once
// The encoder operations: queries of one group, read-all, sends, device commands and the
// actual value. Each works in the session it is given (its link, parameter set, status-bit
// owners and extended mode) and in nothing else. Each returns true on success; on failure the
// reason is in the session's link.deviceError and link.DeviceErrorText() gives the message.
// Every operation blocks the calling thread for its exchanges (about 0.1 s for a good read of
// one KP, up to about 5 s for one KP when the encoder is silent) and stops at the first failed
// telegram.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/Link.h"
#include "params/Catalogue.h"
#include "params/EncoderParameters.h"
#include "params/EncoderSession.h"
#include "params/Encoding.h"

namespace veltrin {

// Query result records. All members 32-bit; a flag is the masked bit (non-zero when set).
struct PresetsQueryResult {
    std::int32_t internalPreset = 0, extPreset1 = 0, extPreset2 = 0, presetOffset = 0;
    std::int32_t extPreset1On = 0, extPreset2On = 0, debounceTime = 0;
    std::int32_t presetReplyBit5 = 0, presetReplyBit6 = 0, lengthMeasurementOn = 0;
    std::int32_t extPreset1ActiveBit = 0, extPreset2ActiveBit = 0;
};
struct ScalingQueryResult {
    float factor = 0;
    std::uint32_t factorWire = 0;  ///< the 24 bits of KP 8 the factor was made from
    std::uint32_t steps = 0, measuringSteps = 0, revolutions = 0;
};
struct StatusBitQuery {               // one status-bit configuration byte as the dialogs show it
    std::int32_t on = 0;              // bit 3
    std::int32_t activeHigh = 0;      // bit 4
    std::int32_t positionChar = '8';  // '1' to '8'
};
struct LimitsQueryResult {
    std::array<std::int32_t, 4> value{};  // limit 1, 2, 3, 4 (from KP 16, 18, 17, 19)
    std::array<StatusBitQuery, 4> bit{};  // limit 1, 2, 3, 4 (from KP 40, 42, 41, 43)
};
struct DataFormatQueryResult {
    std::int32_t ssi32Bit = 0, bitsTotal = 0, nibbleS = 0, nibbleU = 0, outputFormat = 0, outputCode = 0;
    std::int32_t separateSign = 0, integerRepresentation = 0, positionShift = 0, bitsS = 0, bitsU = 0;
};
struct CountDirectionQueryResult {
    std::int32_t backward = 0, extSwitchOn = 0, extSwitchActiveBit = 0;
};
struct StatusBitsQueryResult {
    std::array<StatusBitQuery, 4> limit{};  // limit 1, 2, 3, 4
    StatusBitQuery overspeed, standstill, parity, encoderError, direction;
    std::int32_t overspeedValue = 0;
};
struct ConfigRegisters {
    std::array<std::uint8_t, 4> kp14{};  // R10, R11, R12, R13
    std::array<std::uint8_t, 4> kp15{};  // R14, R15, R40, R41
};

bool QueryPresets(EncoderSession& session, PresetsQueryResult& result);
/// The four reply bytes of KP 31; false also when one of them is outside 0x30 to 0x3F.
bool QueryFirmwareVersion(EncoderSession& session, std::array<char, 4>& version);
bool QueryScaling(EncoderSession& session, ScalingQueryResult& result);
bool QueryLimits(EncoderSession& session, LimitsQueryResult& result);
bool QueryDataFormat(EncoderSession& session, DataFormatQueryResult& result);
bool QueryConfigRegisters(EncoderSession& session, ConfigRegisters& result);
bool QueryCountDirection(EncoderSession& session, CountDirectionQueryResult& result);
bool QueryStatusBits(EncoderSession& session, StatusBitsQueryResult& result);
/// 35 reads into the session's parameter set, each stored at once; a failure leaves the
/// earlier steps stored.
bool ReadAll(EncoderSession& session);
/// The same into p (a set of the caller's; the session's stays as it is).
bool ReadAll(EncoderSession& session, EncoderParameters& p);

/// A status bit that a send withheld: its position has another owner, or is no position.
struct WithheldStatusBit {
    Kp kp;                  ///< the status bit's parameter (KP 40 to 48)
    std::int32_t owner;     ///< its function, as in StatusBitOwners (1-4 limits, 5-9 the group)
    std::int32_t position;  ///< the position the set holds for it
    std::int32_t holder;    ///< the owner of that position; 0 for a position outside 0 to 8
};

/// What a send has to tell beyond its result (every send fills it from empty when given one).
struct SendReport {
    /// The status bits withheld, in the order the send came to them. They are no failure:
    /// the send goes on, as the encoder's owner table requires.
    std::vector<WithheldStatusBit> withheld;
    /// The parameter of the telegram that failed; the link's DeviceErrorState says why (the
    /// encoder refused it when nakReceived is set).
    std::optional<Kp> failedWrite;
    /// SendAll stopped after the presets without a telegram failing: scalingSelection (this
    /// value) is above 2 and names no scaling.
    std::optional<std::uint16_t> invalidScalingSelection;
};

// The sends of the session's parameter set, with its extended mode, allocating in its
// status-bit table. report, when given, receives what the send has to tell beyond its result.
bool SendPresets(EncoderSession& session, int item, SendReport* report = nullptr);
bool SendScaling(EncoderSession& session, int item, SendReport* report = nullptr);
bool SendLimits(EncoderSession& session, int item, SendReport* report = nullptr);
bool SendDataFormat(EncoderSession& session, int item, SendReport* report = nullptr);
bool SendStatusBits(EncoderSession& session, int item, SendReport* report = nullptr);
bool SendCountDirection(EncoderSession& session, int item, SendReport* report = nullptr);
bool SendAll(EncoderSession& session, SendReport* report = nullptr);
/// Records owner for position (0-7; 8 frees the owner's entry) in owners. False: held by
/// another owner, or a position outside 0 to 8; the table is then unchanged.
bool AllocateStatusBit(StatusBitOwners& owners, std::int32_t position, std::int32_t owner);

/// A send by its group (the six send dialogs, and SendAll with item 0).
enum class SendGroup { Presets, Scaling, Limits, DataFormat, StatusBits, CountDirection, All };
/// One write telegram of a send: the parameter and its data bytes.
struct PlannedWrite {
    Kp kp;
    WireBytes data;
};
/// The write telegrams that send (group, item) would make for p, in order, as though the
/// encoder confirmed every one; nothing is sent. extendedMode stands for a session's, and the
/// status-bit allocations are made in a copy of owners (the session's table stays as it is), so a
/// withheld status bit is missing from the list as it would be from the line.
std::vector<PlannedWrite> PlanSend(SendGroup group, int item, const EncoderParameters& p,
                                   std::int32_t extendedMode, const StatusBitOwners& owners);

bool StoreToEeprom(EncoderSession& session);
bool LoadFromEeprom(EncoderSession& session);
bool SetRamDefaults(EncoderSession& session);

struct ActualValue {
    std::string statusBits = "0000000X";                  // bits 7..1 of b4, then 'X'
    std::string dataBits = "00000000 00000000 00000000";  // b1 b2 b3
    std::int32_t value = 0;
};
/// Reads KP 0 and decodes it with the number representation and output code held in the
/// session's parameter set.
/// With Gray output (outputCode 1) the number is that of the Gray-decoded data bits, under the
/// same representation rules, so it changes whenever the data bits do. On failure the texts
/// are at their first content and the number is left as it was.
bool QueryActualValue(EncoderSession& session, ActualValue& result);

}  // namespace veltrin
