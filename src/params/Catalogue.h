#pragma once
// The encoder's KP catalogue: every parameter number the program reads or writes, with its
// menu group, its write encoding, whether it may be read, written or is a command, and how many
// data bytes of the encoder's reply to a read of it are read. This one table is where the
// operations take their KP numbers from; they name a parameter by its Kp identifier and never
// spell the number themselves.
#include <array>
#include <cstddef>
#include <cstdint>

namespace veltrin {

/// The menu group a parameter belongs to.
enum class KpGroup : std::uint8_t {
    ActualValue,     // "Istwert"
    Presets,         // "Presets"
    Scaling,         // "Skalierung"
    Limits,          // "Endlagen"
    DataFormat,      // "Datenformat"
    CountDirection,  // "Zählrichtung"
    StatusBits,      // "Statusbits"
    Eeprom,          // "EEPROM"
    Ram,             // "RAM"
};

/// How the value of a write telegram is laid out in d1, d2, d3.
enum class KpEncoding : std::uint8_t {
    None,           // read only: never written
    Signed24,       // d1 d2 d3 = bits 16-23, 8-15, 0-7 of the two's complement
    Unsigned24,     // the same, unsigned
    Byte,           // 0, 0, low byte
    StatusBitByte,  // 0, 0, position / on / level byte
    ScalingFactor,  // unsigned 24-bit of the factor × 16777215
    BitNibbles,     // 0, 0, S·16 + U
    BitCounts,      // S, U, S + U
    PositionShift,  // 0, bit 8, bits 0-7
    InputConfig,    // 0, 0, on-flag | "aktiv 1" << 1
    Command,        // 0, 0, 0
};

enum class KpAccess : std::uint8_t {
    ReadWrite,
    ReadOnly,  // never written
    Command,   // written as a command, never read
};

/// The parameters by name. The enumerator is the entry's index in the catalogue.
enum class Kp : std::uint8_t {
    ActualValue,
    InternalPreset,
    ExtPreset1,
    ExtPreset2,
    PresetOffset,
    ScalingFactor,
    Revolutions,
    Steps,
    MeasuringSteps,
    ConfigRegisters1,  // R10, R11, R12, R13
    ConfigRegisters2,  // R14, R15, R40, R41
    Limit1Value,
    Limit3Value,
    Limit2Value,
    Limit4Value,
    BitNibbles,
    BitCounts,
    OverspeedValue,
    DebounceTime,
    StoreToEeprom,
    LoadFromEeprom,
    SetRamDefaults,
    SsiConfiguration,
    PositionShift,
    FirmwareVersion,
    ExtPreset1Input,
    ExtPreset2Input,
    ExtDirSwitchInput,
    OutputCode,
    NumberRepresentation,
    OutputFormat,
    CountDirection,
    LengthMeasurement,
    Limit1Bit,
    Limit3Bit,
    Limit2Bit,
    Limit4Bit,
    OverspeedBit,
    StandstillBit,
    ParityBit,
    EncoderErrorBit,
    DirectionBit,
};

struct KpEntry {
    Kp id;
    std::uint8_t number;  // the KP number on the wire
    KpGroup group;
    KpEncoding encoding;
    KpAccess access;
    const char* name;  // for tools and diagnostics, not shown in the dialogs
    /// Data bytes of the encoder's reply to a read request that the program reads (b1 up to
    /// b<n>), 0 for a command. A reply must carry at least these; it may carry more (the
    /// encoder sends three bytes, four for the actual value, the configuration registers and
    /// the firmware version).
    std::uint8_t replyLength;
};

// clang-format off
inline constexpr std::array<KpEntry, 42> kKpCatalogue{{
    {Kp::ActualValue,          0,  KpGroup::ActualValue,    KpEncoding::None,          KpAccess::ReadOnly,  "actual value",                 4},
    {Kp::InternalPreset,       1,  KpGroup::Presets,        KpEncoding::Signed24,      KpAccess::ReadWrite, "internal preset",              3},
    {Kp::ExtPreset1,           2,  KpGroup::Presets,        KpEncoding::Signed24,      KpAccess::ReadWrite, "external preset 1",            3},
    {Kp::ExtPreset2,           3,  KpGroup::Presets,        KpEncoding::Signed24,      KpAccess::ReadWrite, "external preset 2",            3},
    {Kp::PresetOffset,         4,  KpGroup::Presets,        KpEncoding::Signed24,      KpAccess::ReadWrite, "offset",                       3},
    {Kp::ScalingFactor,        8,  KpGroup::Scaling,        KpEncoding::ScalingFactor, KpAccess::ReadWrite, "scaling factor",               3},
    {Kp::Revolutions,          9,  KpGroup::Scaling,        KpEncoding::Unsigned24,    KpAccess::ReadWrite, "number of revolutions",        3},
    {Kp::Steps,                10, KpGroup::Scaling,        KpEncoding::Unsigned24,    KpAccess::ReadWrite, "number of steps",              3},
    {Kp::MeasuringSteps,       11, KpGroup::Scaling,        KpEncoding::Unsigned24,    KpAccess::ReadWrite, "number of measuring steps",    3},
    {Kp::ConfigRegisters1,     14, KpGroup::DataFormat,     KpEncoding::None,          KpAccess::ReadOnly,  "registers R10 R11 R12 R13",    4},
    {Kp::ConfigRegisters2,     15, KpGroup::DataFormat,     KpEncoding::None,          KpAccess::ReadOnly,  "registers R14 R15 R40 R41",    4},
    {Kp::Limit1Value,          16, KpGroup::Limits,         KpEncoding::Signed24,      KpAccess::ReadWrite, "limit value 1",                3},
    {Kp::Limit3Value,          17, KpGroup::Limits,         KpEncoding::Signed24,      KpAccess::ReadWrite, "limit value 3",                3},
    {Kp::Limit2Value,          18, KpGroup::Limits,         KpEncoding::Signed24,      KpAccess::ReadWrite, "limit value 2",                3},
    {Kp::Limit4Value,          19, KpGroup::Limits,         KpEncoding::Signed24,      KpAccess::ReadWrite, "limit value 4",                3},
    {Kp::BitNibbles,           20, KpGroup::DataFormat,     KpEncoding::BitNibbles,    KpAccess::ReadWrite, "bit counts S and U (nibbles)", 1},
    {Kp::BitCounts,            21, KpGroup::DataFormat,     KpEncoding::BitCounts,     KpAccess::ReadWrite, "bit counts S, U and sum",      3},
    {Kp::OverspeedValue,       22, KpGroup::StatusBits,     KpEncoding::Byte,          KpAccess::ReadWrite, "overspeed threshold",          1},
    {Kp::DebounceTime,         23, KpGroup::Presets,        KpEncoding::Byte,          KpAccess::ReadWrite, "debounce time",                1},
    {Kp::StoreToEeprom,        26, KpGroup::Eeprom,         KpEncoding::Command,       KpAccess::Command,   "store RAM in EEPROM",          0},
    {Kp::LoadFromEeprom,       27, KpGroup::Eeprom,         KpEncoding::Command,       KpAccess::Command,   "load RAM from EEPROM",         0},
    {Kp::SetRamDefaults,       28, KpGroup::Ram,            KpEncoding::Command,       KpAccess::Command,   "RAM defaults",                 0},
    {Kp::SsiConfiguration,     29, KpGroup::DataFormat,     KpEncoding::Byte,          KpAccess::ReadWrite, "SSI configuration",            2},
    {Kp::PositionShift,        30, KpGroup::DataFormat,     KpEncoding::PositionShift, KpAccess::ReadWrite, "position shift",               3},
    {Kp::FirmwareVersion,      31, KpGroup::Presets,        KpEncoding::None,          KpAccess::ReadOnly,  "firmware version",             4},
    {Kp::ExtPreset1Input,      32, KpGroup::Presets,        KpEncoding::InputConfig,   KpAccess::ReadWrite, "input of external preset 1",   2},
    {Kp::ExtPreset2Input,      33, KpGroup::Presets,        KpEncoding::InputConfig,   KpAccess::ReadWrite, "input of external preset 2",   2},
    {Kp::ExtDirSwitchInput,    34, KpGroup::CountDirection, KpEncoding::InputConfig,   KpAccess::ReadWrite, "input of up/down switching",   2},
    {Kp::OutputCode,           35, KpGroup::DataFormat,     KpEncoding::Byte,          KpAccess::ReadWrite, "output code",                  1},
    {Kp::NumberRepresentation, 36, KpGroup::DataFormat,     KpEncoding::Byte,          KpAccess::ReadWrite, "number representation",        2},
    {Kp::OutputFormat,         37, KpGroup::DataFormat,     KpEncoding::Byte,          KpAccess::ReadWrite, "output format",                1},
    {Kp::CountDirection,       38, KpGroup::CountDirection, KpEncoding::Byte,          KpAccess::ReadWrite, "internal count direction",     1},
    {Kp::LengthMeasurement,    39, KpGroup::Presets,        KpEncoding::Byte,          KpAccess::ReadWrite, "length measurement",           1},
    {Kp::Limit1Bit,            40, KpGroup::Limits,         KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit of limit 1",        1},
    {Kp::Limit3Bit,            41, KpGroup::Limits,         KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit of limit 3",        1},
    {Kp::Limit2Bit,            42, KpGroup::Limits,         KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit of limit 2",        1},
    {Kp::Limit4Bit,            43, KpGroup::Limits,         KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit of limit 4",        1},
    {Kp::OverspeedBit,         44, KpGroup::StatusBits,     KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit overspeed",         1},
    {Kp::StandstillBit,        45, KpGroup::StatusBits,     KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit standstill",        1},
    {Kp::ParityBit,            46, KpGroup::StatusBits,     KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit parity",            1},
    {Kp::EncoderErrorBit,      47, KpGroup::StatusBits,     KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit encoder error",     1},
    {Kp::DirectionBit,         48, KpGroup::StatusBits,     KpEncoding::StatusBitByte, KpAccess::ReadWrite, "status bit direction",         1},
}};
// clang-format on

constexpr const KpEntry& CatalogueEntry(Kp id) { return kKpCatalogue[static_cast<std::size_t>(id)]; }
/// The KP number of a parameter.
constexpr std::uint8_t KpNumber(Kp id) { return CatalogueEntry(id).number; }
constexpr bool IsReadable(const KpEntry& e) { return e.access != KpAccess::Command; }
constexpr bool IsWritable(const KpEntry& e) { return e.access != KpAccess::ReadOnly; }
/// The number of data bytes read of the reply to a read request of id (0 for a command).
constexpr int ReplyLength(Kp id) { return CatalogueEntry(id).replyLength; }

/// The entry of KP number n, or nullptr when the catalogue has none.
const KpEntry* FindKp(int number);

namespace detail {
constexpr bool CatalogueIsConsistent() {
    for (std::size_t i = 0; i < kKpCatalogue.size(); ++i) {
        if (static_cast<std::size_t>(kKpCatalogue[i].id) != i) return false;
        if (i > 0 && kKpCatalogue[i].number <= kKpCatalogue[i - 1].number) return false;
        const bool noWriteForm = kKpCatalogue[i].encoding == KpEncoding::None;
        if (noWriteForm != (kKpCatalogue[i].access == KpAccess::ReadOnly)) return false;
        if ((kKpCatalogue[i].encoding == KpEncoding::Command) !=
            (kKpCatalogue[i].access == KpAccess::Command))
            return false;
        const int reply = kKpCatalogue[i].replyLength;
        if (IsReadable(kKpCatalogue[i]) ? (reply < 1 || reply > 4) : reply != 0) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::CatalogueIsConsistent(), "catalogue entries out of order or inconsistent");

}  // namespace veltrin
