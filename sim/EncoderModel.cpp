// The simulated encoder's parameter memory.
//
// Every writable KP keeps the three data bytes d1 d2 d3 of its last accepted write, in RAM;
// commands 26, 27, 28 copy RAM to EEPROM, EEPROM to RAM, and the defaults to RAM. A read
// answers in the encoder's reply layout, so that whatever the program writes it reads back:
//
//   KP      reply (b1 b2 b3 [b4])                     written as
//   0       position bits b1 b2 b3, status bits b4    (read only)
//   1-4     signed 24-bit, most significant first     signed 24-bit
//   16-19   signed 24-bit                             signed 24-bit
//   8-11    unsigned 24-bit (10: the one steps value) unsigned 24-bit
//   14, 15  four register bytes (R10-R13, R14 R15 R40 R41), derived from the data format
//   20      b1 = S<<4 | U (nibbles)                   0, 0, S<<4 | U
//   21      b1 = S+U, b2 = U, b3 = S                  S, U, S+U
//           (KP 20 and 21 are one pair S/U: a write of either changes both)
//   22, 23  b1 = the byte                             0, 0, byte
//   29      b2 bit 3 set for "32 Bit" (written 0)     0, 0, 0 or 1 ("25 Bit")
//   30      b2 = bit 8, b3 = low byte                 0, bit 8, low byte
//   31      four characters 0x30-0x3F                 (read only)
//   32      b1 bit 1 on, b2 bit 0 set for "aktiv 1"   0, 0, bit 0 on | bit 1 "aktiv 1"
//   33      b1 bit 2 on, b2 bit 0 "aktiv 1"           as 32
//   34      b1 bit 7 on, b2 bit 0 "aktiv 1"           as 32 (b2 bits 5, 6 always clear)
//   35      b1 bit 0 = output code                    0, 0, 0 "Binär" / 1 "Gray"
//   36      2: b2 bit 4; 1: b1 bit 4; 0: neither      0, 0, representation 0-2
//   37      b1 bits 0-1 = output format as written    0, 0, 0-2
//   38      b1 bit 0 = count direction backward       0, 0, 0 or 1
//   39      b1 bit 2 = length measurement             0, 0, 0 or 1
//   40-48   b1 = the status-bit byte as written       0, 0, status-bit byte
//   error-status request: b1 = the last error number, b2 = b3 = 0
// Replies are three bytes long except KP 0, 14, 15 and 31 (four).
//
// Refusals (the block is answered with NAK; the error-status request then names the reason):
//   1 KP unknown (5-7, 12, 13, 24, 25, 49 and above; a read of 26-28; an unknown code)
//   2 read only (a write of 0, 14, 15, 31)
//   3 too large (S > 12, U > 13, shift amount > 16, a byte KP with d1 or d2 not 0)
//   4 too small (overspeed threshold 0)
//   5 invalid (choices above their range, KP 21 with d3 != S+U, a block that is not 4 bytes)
#include "sim/EncoderModel.h"

#include <cmath>

namespace veltrin::sim {

namespace {

Data3 U24(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}
std::uint32_t FromU24(const Data3& d) { return (std::uint32_t{d[0]} << 16) | (std::uint32_t{d[1]} << 8) | d[2]; }
std::int32_t FromS24(const Data3& d) {
    auto v = static_cast<std::int32_t>(FromU24(d));
    return (v & 0x800000) ? v - 0x1000000 : v;
}
Data3 Byte(std::uint8_t b) { return {0, 0, b}; }

bool IsValueKp(int kp) { return (kp >= 1 && kp <= 4) || (kp >= 8 && kp <= 11) || (kp >= 16 && kp <= 19); }

/// The largest value a byte-valued KP takes (the lower bound is 0 unless said otherwise).
int ByteLimit(int kp) {
    switch (kp) {
        case 22: return kMaxOverspeed;
        case 23: return kMaxDebounce;
        case 29: return kMaxSsiConfiguration;
        case 32: case 33: case 34: return kMaxInputConfiguration;
        case 35: case 38: case 39: return kMaxFlag;
        case 36: return kMaxNumberRepresentation;
        case 37: return kMaxOutputFormat;
        default: return kMaxStatusBitByte;   // 40-48
    }
}

}  // namespace

bool EncoderModel::IsKnownKp(int kp) {
    return kp == 0 || IsValueKp(kp) || kp == 14 || kp == 15 || (kp >= 20 && kp <= 23) || (kp >= 26 && kp <= 48);
}
bool EncoderModel::IsReadOnlyKp(int kp) { return kp == 0 || kp == 14 || kp == 15 || kp == 31; }
bool EncoderModel::IsCommandKp(int kp) { return kp >= 26 && kp <= 28; }
bool EncoderModel::IsWritableKp(int kp) { return IsKnownKp(kp) && !IsReadOnlyKp(kp) && !IsCommandKp(kp); }

std::map<int, Data3> EncoderModel::Defaults() {
    std::map<int, Data3> d;
    for (int kp : {1, 2, 3, 4, 16, 17, 18, 19, 10, 30}) d[kp] = {0, 0, 0};
    d[8] = U24(0xFFFFFF);   // factor 1.0
    d[9] = U24(1);          // revolutions
    d[11] = U24(1);         // measuring steps
    d[20] = Byte(12 << 4 | 12);
    d[21] = {12, 12, 24};
    d[22] = Byte(100);      // overspeed threshold
    d[23] = Byte(255);      // debounce time
    for (int kp : {29, 32, 33, 34, 35, 36, 37, 38, 39}) d[kp] = Byte(0);
    for (int kp = 40; kp <= 48; ++kp) d[kp] = Byte(0x10);   // position 8 (none), off, "aktiv 1"
    return d;
}

EncoderModel::EncoderModel() : ram_(Defaults()), eeprom_(Defaults()), baseTime_(std::chrono::steady_clock::now()) {}

Data3 EncoderModel::Ram(int kp) const {
    auto it = ram_.find(kp);
    return it == ram_.end() ? Data3{} : it->second;
}

void EncoderModel::SetRam(int kp, const Data3& bytes) {
    if (!IsWritableKp(kp)) return;
    if (kp == 20) StoreSharedBitCounts(bytes[2] >> 4, bytes[2] & 0x0F);
    else if (kp == 21) StoreSharedBitCounts(bytes[0], bytes[1]);
    else ram_[kp] = bytes;
}

Data3 EncoderModel::Eeprom(int kp) const {
    auto it = eeprom_.find(kp);
    return it == eeprom_.end() ? Data3{} : it->second;
}

void EncoderModel::SetEeprom(int kp, const Data3& bytes) {
    if (IsWritableKp(kp)) eeprom_[kp] = bytes;
}

void EncoderModel::StoreSharedBitCounts(int s, int u) {
    ram_[20] = Byte(static_cast<std::uint8_t>((s & 15) << 4 | (u & 15)));
    ram_[21] = {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(s + u)};
}

EncoderError EncoderModel::Write(int kp, const Data3& d) {
    if (!IsKnownKp(kp)) return EncoderError::UnknownKp;
    if (IsReadOnlyKp(kp)) return EncoderError::ReadOnly;
    if (kp == 26) { eeprom_ = ram_; return EncoderError::None; }
    if (kp == 27) { ram_ = eeprom_; return EncoderError::None; }
    if (kp == 28) { ram_ = Defaults(); return EncoderError::None; }
    if (IsValueKp(kp)) { ram_[kp] = d; return EncoderError::None; }
    if (kp == 20 || kp == 21) {
        int s = kp == 20 ? d[2] >> 4 : d[0];
        int u = kp == 20 ? d[2] & 0x0F : d[1];
        if (kp == 20 && (d[0] != 0 || d[1] != 0)) return EncoderError::TooLarge;
        if (s > kMaxBitsS || u > kMaxBitsU) return EncoderError::TooLarge;
        if (kp == 21 && d[2] != s + u) return EncoderError::Invalid;
        StoreSharedBitCounts(s, u);
        return EncoderError::None;
    }
    if (kp == 30) {
        if (d[0] != 0) return EncoderError::TooLarge;
        if (d[1] > 1) return EncoderError::Invalid;
        if (d[2] > kMaxShiftAmount) return EncoderError::TooLarge;
        ram_[kp] = d;
        return EncoderError::None;
    }
    // The byte-valued KPs: 22, 23, 29, 32-48.
    if (d[0] != 0 || d[1] != 0) return EncoderError::TooLarge;
    if (kp == 22 && d[2] < kMinOverspeed) return EncoderError::TooSmall;
    if (d[2] > ByteLimit(kp)) return (kp == 22 || kp == 23) ? EncoderError::TooLarge : EncoderError::Invalid;
    ram_[kp] = d;
    return EncoderError::None;
}

void EncoderModel::SetFirmware(const std::string& fourChars) {
    firmware_ = fourChars.substr(0, 4);
    while (firmware_.size() < 4) firmware_ += '0';
}

void EncoderModel::SetConfigRegisters(int kp, const std::array<std::uint8_t, 4>& registers) {
    if (kp == 14) registers14_ = registers;
    if (kp == 15) registers15_ = registers;
}

void EncoderModel::ClearConfigRegisters() {
    registers14_.reset();
    registers15_.reset();
}

void EncoderModel::SetActualValue(std::int32_t position, std::optional<std::uint8_t> status,
                                  std::chrono::steady_clock::time_point now) {
    basePosition_ = position;
    baseTime_ = now;
    statusOverride_ = status;
}

void EncoderModel::SetSpeed(double stepsPerSecond, std::chrono::steady_clock::time_point now) {
    basePosition_ = Position(now);
    baseTime_ = now;
    speed_ = stepsPerSecond;
}

std::int32_t EncoderModel::Position(std::chrono::steady_clock::time_point now) const {
    double seconds = std::chrono::duration<double>(now - baseTime_).count();
    if (seconds < 0) seconds = 0;
    double direction = (Ram(38)[2] & 1) ? -1.0 : 1.0;
    auto steps = static_cast<std::int64_t>(std::floor(speed_ * seconds)) * static_cast<std::int64_t>(direction);
    // The count lives in 24 bits and wraps like the encoder's counter.
    std::int64_t v = (static_cast<std::int64_t>(basePosition_) + steps) & 0xFFFFFF;
    if (v & 0x800000) v -= 0x1000000;
    return static_cast<std::int32_t>(v);
}

std::uint32_t EncoderModel::EncodePosition(std::int32_t position) const {
    std::uint32_t v = 0;
    int representation = Ram(36)[2];
    if (representation == 2) {   // separate sign: bit 23 the sign, bits 0-22 the amount
        std::int64_t amount = position < 0 ? -static_cast<std::int64_t>(position) : position;
        if (amount > 0x7FFFFF) amount = 0x7FFFFF;
        v = static_cast<std::uint32_t>(amount) | (position < 0 ? 0x800000u : 0u);
    } else {                     // two's complement and integer: the low 24 bits
        v = static_cast<std::uint32_t>(position) & 0xFFFFFF;
    }
    if (Ram(35)[2] & 1) v = (v ^ (v >> 1)) & 0xFFFFFF;   // Gray code
    return v;
}

std::uint8_t EncoderModel::StatusByte(std::int32_t position) const {
    if (statusOverride_) return *statusOverride_;
    // Each status-bit KP: its condition, shown at its bit position (1-7) when switched on.
    struct Source { int kp; bool condition; };
    const bool backward = (speed_ < 0) != ((Ram(38)[2] & 1) != 0);
    const Source sources[] = {
        {40, position >= FromS24(Ram(16))}, {41, position >= FromS24(Ram(17))},
        {42, position >= FromS24(Ram(18))}, {43, position >= FromS24(Ram(19))},
        {44, std::fabs(speed_) > Ram(22)[2]}, {45, speed_ == 0},
        {46, false}, {47, false}, {48, backward},
    };
    std::uint8_t status = 0;
    for (const Source& s : sources) {
        std::uint8_t config = Ram(s.kp)[2];
        int bit = config & 0x07;
        if (bit == 0 || !(config & 0x08)) continue;
        bool activeHigh = (config & 0x10) != 0;
        if (s.condition == activeHigh) status |= static_cast<std::uint8_t>(1u << bit);
    }
    return status;
}

void EncoderModel::SetReplyBytes(int kp, std::vector<std::uint8_t> bytes) {
    if (bytes.empty()) replyOverrides_.erase(kp);
    else replyOverrides_[kp] = std::move(bytes);
}

EncoderError EncoderModel::Read(int kp, std::chrono::steady_clock::time_point now,
                                std::vector<std::uint8_t>& reply) const {
    reply.clear();
    if (auto it = replyOverrides_.find(kp); it != replyOverrides_.end()) {
        reply = it->second;
        return EncoderError::None;
    }
    if (!IsKnownKp(kp) || IsCommandKp(kp)) return EncoderError::UnknownKp;
    const Data3 d = Ram(kp);
    auto three = [&reply](std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) { reply = {b1, b2, b3}; };
    if (IsValueKp(kp)) { three(d[0], d[1], d[2]); return EncoderError::None; }
    switch (kp) {
        case 0: {
            std::int32_t position = Position(now);
            Data3 bits = U24(EncodePosition(position));
            reply = {bits[0], bits[1], bits[2], StatusByte(position)};
            break;
        }
        case 14: {
            const int s = BitsS(), u = BitsU();
            const std::uint8_t format = static_cast<std::uint8_t>((Ram(35)[2] & 1) | (Ram(36)[2] & 3) << 1 |
                                                                  (Ram(37)[2] & 3) << 3 | (Ram(29)[2] & 1) << 5);
            const Data3 shift = Ram(30);
            reply = registers14_ ? std::vector<std::uint8_t>(registers14_->begin(), registers14_->end())
                                 : std::vector<std::uint8_t>{static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(u),
                                                             format, static_cast<std::uint8_t>(shift[2] | shift[1] << 7)};
            break;
        }
        case 15: {
            const std::uint8_t inputs = static_cast<std::uint8_t>((Ram(38)[2] & 1) | (Ram(34)[2] & 1) << 1 |
                                                                  (Ram(39)[2] & 1) << 2 | (Ram(32)[2] & 1) << 3 |
                                                                  (Ram(33)[2] & 1) << 4);
            const std::uint8_t version = static_cast<std::uint8_t>((firmware_[1] & 0x0F) << 4 | (firmware_[3] & 0x0F));
            reply = registers15_ ? std::vector<std::uint8_t>(registers15_->begin(), registers15_->end())
                                 : std::vector<std::uint8_t>{Ram(23)[2], Ram(22)[2], inputs, version};
            break;
        }
        case 20: three(d[2], 0, 0); break;
        case 21: three(d[2], d[1], d[0]); break;
        case 22: case 23: three(d[2], 0, 0); break;
        case 29: three(0, (d[2] & 1) ? 0 : 0x08, 0); break;
        case 30: three(0, d[1], d[2]); break;
        case 31:
            reply.assign(firmware_.begin(), firmware_.end());
            break;
        case 32: case 33: case 34: {
            const int onBit = kp == 32 ? 1 : kp == 33 ? 2 : 7;
            three(static_cast<std::uint8_t>((d[2] & 1) << onBit), static_cast<std::uint8_t>((d[2] >> 1) & 1), 0);
            break;
        }
        case 35: three(d[2] & 1, 0, 0); break;
        case 36: three(d[2] == 1 ? 0x10 : 0, d[2] == 2 ? 0x10 : 0, 0); break;
        case 37: three(d[2] & 3, 0, 0); break;
        case 38: three(d[2] & 1, 0, 0); break;
        case 39: three(static_cast<std::uint8_t>((d[2] & 1) << 2), 0, 0); break;
        default: three(d[2], 0, 0); break;   // 40-48: the status-bit byte
    }
    return EncoderError::None;
}

}  // namespace veltrin::sim
