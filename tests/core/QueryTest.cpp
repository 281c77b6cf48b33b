// The queries of one group against the simulated encoder: the order of the read requests, how
// each reply is shown, and stopping at the first failure without touching the parameter set.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "ParamsSimFixture.h"

using namespace veltrin;
using veltrin::test::ParamsOnSimulator;

namespace {
// Makes the encoder refuse the read request of kp (and everything after it).
auto RefuseFrom(sim::EncoderSimulator& sim, Kp kp) {
    return [&sim, kp](const std::uint8_t* t, int) {
        if (t[0] == kReadRequestCode && t[3] == KpNumber(kp)) sim.NakTelegrams(sim::kAlways, 5);
    };
}
}  // namespace

TEST_F(ParamsOnSimulator, QueryPresets) {
    sim.SetRam(1, EncodeSigned24(-1));
    sim.SetRam(2, EncodeSigned24(8388607));
    sim.SetRam(3, EncodeSigned24(-8388608));
    sim.SetRam(4, EncodeSigned24(42));
    sim.SetReplyBytes(32, {0xFF, 0x61, 0x00});  // on, bits 5 and 6, level bit
    sim.SetRam(33, EncodeByte(0x01));           // on, "aktiv 0"
    sim.SetRam(23, EncodeByte(17));
    sim.SetRam(39, EncodeByte(1));
    const EncoderParameters before = p;

    PresetsQueryResult r;
    ASSERT_TRUE(QueryPresets(session, r));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{1, 2, 3, 4, 32, 33, 23, 39}));
    EXPECT_EQ(r.internalPreset, -1);
    EXPECT_EQ(r.extPreset1, 8388607);
    EXPECT_EQ(r.extPreset2, -8388608);
    EXPECT_EQ(r.presetOffset, 42);
    // Flags are the masked bits.
    EXPECT_EQ(r.extPreset1On, 0x02);
    EXPECT_EQ(r.presetReplyBit5, 0x20);
    EXPECT_EQ(r.presetReplyBit6, 0x40);
    EXPECT_EQ(r.extPreset1ActiveBit, 0x01);
    EXPECT_EQ(r.extPreset2On, 0x04);
    EXPECT_EQ(r.extPreset2ActiveBit, 0);
    EXPECT_EQ(r.debounceTime, 17);
    EXPECT_EQ(r.lengthMeasurementOn, 0x04);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);  // queries never change the set

    // A refusal in the middle: false, and the members after it keep what the caller had.
    link.SetTelegramObserver(RefuseFrom(sim, Kp::ExtPreset2));
    PresetsQueryResult partial;
    partial.extPreset2 = 555;
    partial.debounceTime = 666;
    EXPECT_FALSE(QueryPresets(session, partial));
    EXPECT_EQ(partial.extPreset1, 8388607);
    EXPECT_EQ(partial.extPreset2, 555);
    EXPECT_EQ(partial.debounceTime, 666);
    EXPECT_TRUE(link.deviceError.nakReceived);
    EXPECT_EQ(link.deviceError.errorNumber, 5);
    EXPECT_EQ(ReadKps(Take()).back(), 3);
}

TEST_F(ParamsOnSimulator, QueryFirmwareVersion) {
    std::array<char, 4> version{};
    sim.SetReplyBytes(31, {0x30, 0x31, 0x30, 0x34});
    EXPECT_TRUE(QueryFirmwareVersion(session, version));
    EXPECT_EQ(std::string(version.data(), 4), "0104");
    // A character outside 0x30-0x3F fails the query although the exchange succeeded.
    sim.SetReplyBytes(31, {0x30, 0x41, 0x30, 0x34});
    EXPECT_FALSE(QueryFirmwareVersion(session, version));
    EXPECT_FALSE(link.deviceError.nakReceived);
    sim.SetReplyBytes(31, {0x3F, 0x3A, 0x30, 0x2F});
    EXPECT_FALSE(QueryFirmwareVersion(session, version));
    sim.SetReplyBytes(31, {0x3F, 0x3A, 0x3B, 0x3C});
    EXPECT_TRUE(QueryFirmwareVersion(session, version));
}

TEST_F(ParamsOnSimulator, QueryScalingAndCountDirection) {
    sim.SetRam(8, EncodeUnsigned24(0xFFFFFD));
    sim.SetRam(10, EncodeUnsigned24(0x800000));
    sim.SetRam(11, EncodeUnsigned24(360));
    sim.SetRam(9, EncodeUnsigned24(4096));
    ScalingQueryResult s;
    ASSERT_TRUE(QueryScaling(session, s));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{8, 10, 11, 9}));
    EXPECT_EQ(s.factor, 1.0f);
    EXPECT_EQ(s.steps, 8388608u);
    EXPECT_EQ(s.measuringSteps, 360u);
    EXPECT_EQ(s.revolutions, 4096u);

    sim.SetRam(38, EncodeByte(1));
    sim.SetRam(34, EncodeByte(3));
    CountDirectionQueryResult c;
    ASSERT_TRUE(QueryCountDirection(session, c));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{38, 34}));
    EXPECT_EQ(c.backward, 1);
    EXPECT_EQ(c.extSwitchOn, 0x80);
    EXPECT_EQ(c.extSwitchActiveBit, 1);
}

TEST_F(ParamsOnSimulator, QueryLimitsAndStatusBits) {
    sim.SetRam(16, EncodeSigned24(1));
    sim.SetRam(17, EncodeSigned24(3));  // KP 17 is limit 3
    sim.SetRam(18, EncodeSigned24(2));
    sim.SetRam(19, EncodeSigned24(-4));
    sim.SetRam(40, EncodeByte(0x0B));  // limit 1: position 3, on, "aktiv 0"
    sim.SetRam(42, EncodeByte(0x10));  // limit 2: none, "aktiv 1"
    sim.SetRam(41, EncodeByte(0x1F));  // limit 3: 7, on, "aktiv 1"
    sim.SetRam(43, EncodeByte(0x01));
    LimitsQueryResult l;
    ASSERT_TRUE(QueryLimits(session, l));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{16, 17, 18, 19, 40, 42, 41, 43}));
    EXPECT_EQ(l.value, (std::array<std::int32_t, 4>{1, 2, 3, -4}));
    EXPECT_EQ(l.bit[0].positionChar, '3');
    EXPECT_EQ(l.bit[0].on, 0x08);
    EXPECT_EQ(l.bit[0].activeHigh, 0);
    EXPECT_EQ(l.bit[1].positionChar, '8');
    EXPECT_EQ(l.bit[1].activeHigh, 0x10);
    EXPECT_EQ(l.bit[2].positionChar, '7');
    EXPECT_EQ(l.bit[3].positionChar, '1');
    EXPECT_EQ(l.bit[3].on, 0);

    sim.SetRam(22, EncodeByte(250));
    sim.SetRam(44, EncodeByte(0x1D));
    sim.SetRam(48, EncodeByte(0x02));
    StatusBitsQueryResult b;
    ASSERT_TRUE(QueryStatusBits(session, b));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{40, 42, 41, 43, 22, 44, 45, 46, 47, 48}));
    EXPECT_EQ(b.limit[2].positionChar, '7');
    EXPECT_EQ(b.overspeedValue, 250);
    EXPECT_EQ(b.overspeed.positionChar, '5');
    EXPECT_EQ(b.overspeed.on, 0x08);
    EXPECT_EQ(b.standstill.positionChar, '8');
    EXPECT_EQ(b.direction.positionChar, '2');
    EXPECT_EQ(b.direction.activeHigh, 0);
}

TEST_F(ParamsOnSimulator, QueryDataFormat) {
    sim.SetRam(29, EncodeByte(0));  // "32 Bit"
    sim.SetRam(21, EncodeBitCounts(12, 13));
    sim.SetRam(37, EncodeByte(2));
    sim.SetRam(35, EncodeByte(1));
    sim.SetRam(36, EncodeByte(2));
    sim.SetRam(30, EncodePositionShift(0x105));
    DataFormatQueryResult d;
    ASSERT_TRUE(QueryDataFormat(session, d));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{29, 21, 20, 37, 35, 36, 30}));
    EXPECT_EQ(d.ssi32Bit, 0x08);
    EXPECT_EQ(d.bitsTotal, 25);
    EXPECT_EQ(d.bitsS, 12);
    EXPECT_EQ(d.bitsU, 13);
    EXPECT_EQ(d.nibbleS, 12);
    EXPECT_EQ(d.nibbleU, 13);
    EXPECT_EQ(d.outputFormat, 2);  // the code as written
    EXPECT_EQ(d.outputCode, 1);
    EXPECT_EQ(d.separateSign, 0x10);
    EXPECT_EQ(d.integerRepresentation, 0);
    EXPECT_EQ(d.positionShift, 0x105);  // this query shows a left shift as it is

    for (std::uint8_t format : {0, 1, 3}) {
        sim.SetReplyBytes(37, {format, 0, 0});
        ASSERT_TRUE(QueryDataFormat(session, d));
        EXPECT_EQ(d.outputFormat, format);
    }

    // The shift's reply is optional; its request is not.
    link.SetTelegramObserver([&](const std::uint8_t* t, int) {
        if (t[0] == kReadRequestCode && t[3] == 30) sim.CorruptReplies(sim::kAlways);
    });
    d.positionShift = 9;
    EXPECT_TRUE(QueryDataFormat(session, d));
    EXPECT_EQ(d.positionShift, 0);
    sim.CorruptReplies(0);
    link.SetTelegramObserver(RefuseFrom(sim, Kp::PositionShift));
    EXPECT_FALSE(QueryDataFormat(session, d));
    sim.NakTelegrams(0, 0);
    link.SetTelegramObserver(RefuseFrom(sim, Kp::NumberRepresentation));
    EXPECT_FALSE(QueryDataFormat(session, d));
}

TEST_F(ParamsOnSimulator, QueryConfigRegisters) {
    sim.SetConfigRegisters(14, {1, 2, 3, 4});
    sim.SetConfigRegisters(15, {5, 6, 7, 8});
    ConfigRegisters c;
    ASSERT_TRUE(QueryConfigRegisters(session, c));
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{14, 15}));
    EXPECT_EQ(c.kp14, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(c.kp15, (std::array<std::uint8_t, 4>{5, 6, 7, 8}));
}

/// Every query and read-all on what the encoder answers now, as bytes: the results of the
/// queries (all of 32-bit or byte members), the firmware and the parameter set.
static std::vector<std::uint8_t> EverythingRead(EncoderSession& session, bool& allOk) {
    const EncoderParameters& p = session.parameters;
    PresetsQueryResult a;
    ScalingQueryResult b;
    LimitsQueryResult c;
    DataFormatQueryResult d;
    CountDirectionQueryResult e;
    StatusBitsQueryResult f;
    ConfigRegisters g;
    std::array<char, 4> v{};
    allOk = QueryPresets(session, a) & QueryScaling(session, b) & QueryLimits(session, c) &
            QueryDataFormat(session, d) & QueryCountDirection(session, e) & QueryStatusBits(session, f) &
            QueryConfigRegisters(session, g) & ReadAll(session);
    QueryFirmwareVersion(session, v);  // refuses characters outside 0x30-0x3F
    std::vector<std::uint8_t> out;
    auto add = [&out](const auto& r) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
        out.insert(out.end(), bytes, bytes + sizeof r);
    };
    add(a), add(b), add(c), add(d), add(e), add(f), add(g), add(v), add(p);
    return out;
}

TEST_F(ParamsOnSimulator, RepliesAreDecodedFromTheirFirstBytesWhateverTheirLength) {
    // Random replies of exactly the bytes that are read, then the same with random bytes after
    // them (up to the 254 a block holds): every query and read-all decode both alike.
    std::mt19937 rng(5);
    std::map<int, std::vector<std::uint8_t>> replies;
    for (const KpEntry& e : kKpCatalogue) {
        if (!IsReadable(e)) continue;
        auto& bytes = replies[e.number];
        bytes.resize(e.replyLength);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        sim.SetReplyBytes(e.number, bytes);
    }
    bool ok = false;
    const EncoderParameters start = p;
    const auto expected = EverythingRead(session, ok);
    EXPECT_TRUE(ok);
    for (auto& [kp, bytes] : replies) {
        const std::size_t read = bytes.size();
        bytes.resize(read + 1 + rng() % (254 - read));
        for (std::size_t i = read; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(rng());
        sim.SetReplyBytes(kp, bytes);
    }
    p = start;
    EXPECT_EQ(EverythingRead(session, ok), expected);
    EXPECT_TRUE(ok);

    // Replies shorter than what is read (1 byte up; an empty one is refused the same way) are
    // refused three times: the first read of every query fails, and nothing of them is decoded.
    for (const KpEntry& kp : kKpCatalogue) {
        if (!IsReadable(kp) || kp.replyLength < 2) continue;
        std::vector<std::uint8_t> bytes(1 + rng() % (kp.replyLength - 1));
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(rng());
        sim.SetReplyBytes(kp.number, bytes);
    }
    sim.ResetCounters();
    const EncoderParameters before = p;
    PresetsQueryResult a;
    ScalingQueryResult b;
    ConfigRegisters g;
    std::array<char, 4> v{};
    EXPECT_FALSE(QueryPresets(session, a));
    EXPECT_FALSE(QueryScaling(session, b));
    EXPECT_FALSE(QueryConfigRegisters(session, g));
    EXPECT_FALSE(QueryFirmwareVersion(session, v));
    EXPECT_FALSE(ReadAll(session));
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    EXPECT_GT(sim.Counters().naksReceived, 0);
    EXPECT_EQ(sim.Counters().repliesConfirmed, 0);
}
