#pragma once
// The encoder as the simulator models it: RAM and EEPROM parameter images per KP, the reply
// layout of every readable KP, the value ranges it accepts and the error numbers it reports.
// No I/O and no locking here; EncoderSimulator guards one model with its mutex.
// The full reply layout is described at the top of EncoderModel.cpp.
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace veltrin::sim {

/// The error numbers the encoder answers to the error-status request.
enum class EncoderError : std::uint8_t {
    None = 0,
    UnknownKp = 1,
    ReadOnly = 2,
    TooLarge = 3,
    TooSmall = 4,
    Invalid = 5,
};

// Value ranges the encoder accepts on a write (anything else is refused with the error named).
// 24-bit values (KP 1-4, 8-11, 16-19) are taken whatever they are.
inline constexpr int kMaxBitsS = 12;            ///< KP 20/21: S above: TooLarge
inline constexpr int kMaxBitsU = 13;            ///< KP 20/21: U above: TooLarge; KP 21 with d3 != S+U: Invalid
inline constexpr int kMinOverspeed = 1;         ///< KP 22: 0 is TooSmall; the rest of a byte is fine
inline constexpr int kMaxOverspeed = 255;
inline constexpr int kMinDebounce = 0;          ///< KP 23: any byte
inline constexpr int kMaxDebounce = 255;
inline constexpr int kMaxShiftAmount = 16;      ///< KP 30: amount (low byte) above: TooLarge; d2 above 1: Invalid
inline constexpr int kMaxSsiConfiguration = 1;  ///< KP 29: 0 "32 Bit", 1 "25 Bit"; above: Invalid
inline constexpr int kMaxNumberRepresentation = 2;  ///< KP 36: above: Invalid
inline constexpr int kMaxOutputFormat = 2;      ///< KP 37: above: Invalid
inline constexpr int kMaxFlag = 1;              ///< KP 35, 38, 39: above: Invalid
inline constexpr int kMaxInputConfiguration = 3;   ///< KP 32-34: bit 0 on, bit 1 "aktiv 1"; above: Invalid
inline constexpr int kMaxStatusBitByte = 0x1F;  ///< KP 40-48: bits 5-7 set: Invalid
/// Byte-valued KPs (22, 23, 29, 32-48) take 0, 0, byte; a non-zero d1 or d2 is TooLarge.

/// The firmware version the encoder reports by default (KP 31).
inline constexpr char kDefaultFirmware[] = "0104";

using Data3 = std::array<std::uint8_t, 3>;
using Telegram = std::array<std::uint8_t, 4>;

class EncoderModel {
public:
    EncoderModel();

    /// Whether kp is a parameter of the catalogue (1-4, 8-11, 16-23, 29-48) or one of the
    /// read-only ones (0, 14, 15, 31) or commands (26-28).
    static bool IsKnownKp(int kp);
    static bool IsReadOnlyKp(int kp);   ///< 0, 14, 15, 31
    static bool IsCommandKp(int kp);    ///< 26, 27, 28
    static bool IsWritableKp(int kp);   ///< known, neither read-only nor a command

    /// The encoder's defaults (what KP 28 puts into RAM), equal to the program's start-up values.
    static std::map<int, Data3> Defaults();

    // Images: the three data bytes as last written, per writable KP.
    Data3 Ram(int kp) const;
    void SetRam(int kp, const Data3& bytes);     ///< stored unchecked (KP 20/21 keep each other in step)
    Data3 Eeprom(int kp) const;
    void SetEeprom(int kp, const Data3& bytes);

    /// A write telegram KP d1 d2 d3 (or a command 26-28). None: stored/done.
    EncoderError Write(int kp, const Data3& data);
    /// The reply block's data bytes for a read request of kp at time now, or an error.
    EncoderError Read(int kp, std::chrono::steady_clock::time_point now, std::vector<std::uint8_t>& reply) const;

    // Identity and registers.
    void SetFirmware(const std::string& fourChars);   ///< up to four characters, padded with '0'
    std::string Firmware() const { return firmware_; }
    /// KP 14 (R10-R13) or KP 15 (R14, R15, R40, R41); without an override they follow the data format.
    void SetConfigRegisters(int kp, const std::array<std::uint8_t, 4>& registers);
    void ClearConfigRegisters();

    // Actual value.
    /// Fixes the position (and, when given, the status byte b4); the shaft keeps turning at
    /// the set speed from there.
    void SetActualValue(std::int32_t position, std::optional<std::uint8_t> status, std::chrono::steady_clock::time_point now);
    /// Steps per second the shaft turns (0 stands still; negative turns backward).
    void SetSpeed(double stepsPerSecond, std::chrono::steady_clock::time_point now);
    /// The count at time now (before the output coding).
    std::int32_t Position(std::chrono::steady_clock::time_point now) const;
    /// The 24 position bits as the encoder sends them (number representation, Gray code).
    std::uint32_t EncodePosition(std::int32_t position) const;
    std::uint8_t StatusByte(std::int32_t position) const;

    /// Raw reply for kp instead of the modelled one (empty: back to the model).
    void SetReplyBytes(int kp, std::vector<std::uint8_t> bytes);
    void ClearReplyOverrides() { replyOverrides_.clear(); }

    /// The error number the next error-status request answers.
    std::uint8_t lastError = 0;

    // Decoded views used by the actual value and the registers.
    int BitsS() const { return ram_.at(21)[0]; }
    int BitsU() const { return ram_.at(21)[1]; }

private:
    std::map<int, Data3> ram_;
    std::map<int, Data3> eeprom_;
    std::map<int, std::vector<std::uint8_t>> replyOverrides_;
    std::string firmware_ = kDefaultFirmware;
    std::optional<std::array<std::uint8_t, 4>> registers14_, registers15_;
    // Position = basePosition_ + speed_ × (now − baseTime_).
    std::int32_t basePosition_ = 0;
    std::chrono::steady_clock::time_point baseTime_{};
    double speed_ = 0;
    std::optional<std::uint8_t> statusOverride_;

    void StoreSharedBitCounts(int s, int u);
};

}  // namespace veltrin::sim
