#pragma once
// Verify: is the encoder equal to a configuration? And: would two configurations leave the
// encoder equal?
//
// The comparison is made per parameter of the set (one row per member the dialogs show, with
// their labels), on the values the wire carries: what "Alles Senden" of the configuration
// writes for the member's KP, after the send's cuts and encodings (24-bit and low-byte cuts,
// the factor's wire value, the steps of the scaling the selection sends, the debounce time
// only in the extended mode, status bits withheld when their position has another owner),
// against what the encoder answers for that KP, decoded as read-all decodes it. Two
// exceptions keep the wire value where read-all's decoding would lose it: the factor is
// compared as its 24-bit value (not as read-all's text of it), the position shift as
// b2·256 + b3 (read-all takes no shift above 16).
//
// Each row gets one status:
//   Equal       the encoder holds what the send writes;
//   Different   it holds something else;
//   NotSent     "Alles Senden" of the configuration does not write it in this mode (the
//               reason says why); the encoder's value is shown all the same;
//   NotReadable the encoder's answers do not tell it (scalingSelection, a position shift whose
//               reply failed).
// The level of the external up/down switching is compared from the reply to KP 34 (bit 0 of
// b2), although read-all does not take it into the set.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/Link.h"
#include "params/Catalogue.h"
#include "params/EncoderParameters.h"
#include "params/EncoderSession.h"

namespace veltrin {

enum class VerifyStatus : std::uint8_t { Equal, Different, NotSent, NotReadable };

/// Why "Alles Senden" does not write a parameter.
enum class NotSentReason : std::uint8_t {
    None,
    ExtendedModeOff,     ///< the debounce time goes along only with the extended functions
    OtherScaling,        ///< the scaling selection names another scaling
    StatusBitTaken,      ///< the status bit's position has another owner
    InvalidBitPosition,  ///< the status bit's position is outside 1 to 8 (and 0)
    SendStops,           ///< a scaling selection above 2 ends "Alles Senden" before it
    NotInSecond,         ///< (comparing two files) the second file's send does not write it
};

/// One parameter of the set as the report lists it.
struct ParameterLine {
    std::string member;  ///< the member of EncoderParameters ("limit1Value")
    int kp = 0;          ///< the KP number whose value carries it; 0 for scalingSelection
    KpGroup group = KpGroup::Presets;
    std::string label;      ///< the dialogs' label, from the resources in force
    std::string fileValue;  ///< the value "Alles Senden" writes, as the dialogs show it; "300 → 44"
                            ///< when the send cuts the value the set holds
};

/// One parameter compared.
struct VerifyRow : ParameterLine {
    std::string encoderValue;  ///< the encoder's value (or the second file's); empty when unknown
    VerifyStatus status = VerifyStatus::Equal;
    NotSentReason reason = NotSentReason::None;
};

struct VerifyCounts {
    int equal = 0, different = 0, notSent = 0, notReadable = 0;
    int Total() const { return equal + different + notSent + notReadable; }
};

struct VerifyResult {
    std::vector<VerifyRow> rows;
    VerifyCounts counts;
    /// The encoder's firmware version as the presets dialog shows it ("01.04"); empty when
    /// two files were compared.
    std::string firmware;
    bool HasDifferences() const { return counts.different > 0; }
};

/// The parameters of a set, labelled, in the dialogs' order (the groups as in the menus).
std::vector<ParameterLine> DescribeConfiguration(const EncoderParameters& set);

/// Reads the firmware version and every parameter read-all reads, each KP once, from the
/// session's encoder, and compares them with what "Alles Senden" of set would write with the
/// session's extended mode and the status-bit owners given (a copy takes the allocations;
/// nothing is sent, set and the session's parameter set are not changed, the link's linkUsed
/// flag is as it was before). A failed read ends it with false (the reason in the
/// link's DeviceErrorState) and result empty; only a failed reply of the position shift, which
/// read-all forgives, leaves that row NotReadable. Blocks for 36 read exchanges (about 5.5 s at
/// 2400 baud).
bool VerifyEncoder(EncoderSession& session, const EncoderParameters& set, const StatusBitOwners& owners,
                   VerifyResult& result);

/// The same comparison between two sets, the second standing for the encoder after its own
/// "Alles Senden" (both with extendedMode and a free status-bit table). Its values show in
/// encoderValue.
VerifyResult CompareConfigurations(const EncoderParameters& first, const EncoderParameters& second,
                                   std::int32_t extendedMode);

// Texts from the resources in force.
std::string StatusText(VerifyStatus status);
/// Empty for None.
std::string ReasonText(NotSentReason reason);
/// The row's status with its reason: "nicht gesendet: ohne erweiterte Funktionen".
std::string StatusText(const VerifyRow& row);
/// "58 Parameter: 55 gleich, 1 abweichend, 1 nicht gesendet, 1 nicht lesbar".
std::string SummaryText(const VerifyCounts& counts);
/// The menu's name of a group ("Presets", "Skalierung", ...).
std::string GroupText(KpGroup group);
/// The four firmware characters as the presets dialog shows them: the leading decimal digits
/// as a number v (modulo 10000), "vv.vv"; "00.00" when the read failed.
std::string FirmwareVersionText(const std::array<char, 4>& characters, bool readOk);

// Stable names for machine-readable output.
const char* StatusName(VerifyStatus status);   ///< "equal", "different", "notSent", "notReadable"
const char* ReasonName(NotSentReason reason);  ///< "", "extendedModeOff", "otherScaling", ...

}  // namespace veltrin
