// The device commands and the actual value against the simulated encoder.
#include <gtest/gtest.h>

#include <cstring>

#include "ParamsSimFixture.h"

using namespace veltrin;
using veltrin::test::ParamsOnSimulator;

TEST_F(ParamsOnSimulator, DeviceCommands) {
    sim.SetRam(1, EncodeSigned24(77));
    ASSERT_TRUE(StoreToEeprom(session));
    EXPECT_EQ(sim.Eeprom(1), EncodeSigned24(77));
    ASSERT_TRUE(SetRamDefaults(session));
    EXPECT_EQ(sim.Ram(1), EncodeSigned24(0));
    EXPECT_EQ(sim.Eeprom(1), EncodeSigned24(77));
    p.internalPreset = 5;
    const EncoderParameters before = p;
    ASSERT_TRUE(LoadFromEeprom(session));
    EXPECT_EQ(sim.Ram(1), EncodeSigned24(77));
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);  // nothing is read back
    EXPECT_EQ(Take(), (std::vector<Telegram>{{26, 0, 0, 0}, {28, 0, 0, 0}, {27, 0, 0, 0}}));

    sim.NakTelegrams(sim::kAlways, 9);
    EXPECT_FALSE(StoreToEeprom(session));
    EXPECT_EQ(link.DeviceErrorText(), "Geber meldet unbekannter Fehler Nummer 9");
}

TEST_F(ParamsOnSimulator, ActualValueUnderTheThreeRepresentations) {
    sim.SetReplyBytes(0, {0x80, 0x00, 0x01, 0xA5});
    ActualValue v;
    const std::int32_t expected[] = {-8388607, 8388609, -1};
    for (std::uint16_t rep = 0; rep <= 2; ++rep) {
        p.numberRepresentation = rep;
        ASSERT_TRUE(QueryActualValue(session, v));
        EXPECT_EQ(v.value, expected[rep]) << rep;
        EXPECT_EQ(v.dataBits, "10000000 00000000 00000001");
        EXPECT_EQ(v.statusBits, "1010010X");
    }
    EXPECT_EQ(ReadKps(Take()), (std::vector<int>{0, 0, 0}));

    // A failed read: the texts go back to their first content, the number stays.
    sim.NakTelegrams(sim::kAlways, 0);
    v.value = 4711;
    EXPECT_FALSE(QueryActualValue(session, v));
    EXPECT_EQ(v.statusBits, "0000000X");
    EXPECT_EQ(v.dataBits, "00000000 00000000 00000000");
    EXPECT_EQ(v.value, 4711);
    EXPECT_EQ(link.DeviceErrorText(), "Geber meldet Datenfehler !");
}

TEST_F(ParamsOnSimulator, ActualValueInGrayCode) {
    // The encoder sends the position Gray-coded; the number shown is the decoded position.
    sim.SetSpeed(0);
    p.outputCode = 1;
    sim.SetRam(35, EncodeByte(1));
    for (std::uint16_t rep : {0, 2}) {
        sim.SetRam(36, EncodeByte(rep));
        p.numberRepresentation = rep;
        for (std::int32_t position : {0, 1, 12345, -5, -8388607}) {
            sim.SetActualValue(position, 0);
            ActualValue v;
            ASSERT_TRUE(QueryActualValue(session, v));
            EXPECT_EQ(v.value, position) << rep;
        }
    }
}
