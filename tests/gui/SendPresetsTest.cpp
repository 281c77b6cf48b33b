// "Presets Senden": each "Senden" sends its item's telegrams with the values of the fields, and
// the input levels are extended controls that pass their stored value through when hidden.
#include "SendBaseFixture.h"
#include "app/AppSession.h"
#include "ui/send/SendPresetsDialog.h"

using namespace veltrin;
using namespace veltrin::ui;
using sim::Telegram;

using SendPresetsDialog = veltrin::test::SendOnSimulator;

TEST_F(SendPresetsDialog, EachButtonSendsItsItem) {
    CSendPresetsDialog dialog;
    dialog.show();
    Type(dialog, 1052, "-2");
    Type(dialog, 1054, "$100");
    Type(dialog, 1056, "5");
    Type(dialog, 1063, "300");
    Type(dialog, 1060, "8388607");
    Click(dialog, 1005);  // preset 1 on
    Click(dialog, 1058);  // preset 2 off
    Click(dialog, 1062);  // length measurement on

    const struct {
        int button;
        std::vector<Telegram> telegrams;
    } cases[] = {
        {1053, {{1, 0xFF, 0xFF, 0xFE}}},
        {1055, {{2, 0x00, 0x01, 0x00}, {32, 0, 0, 0x01}}},  // stored level "aktiv 0"
        {1057, {{3, 0x00, 0x00, 0x05}, {33, 0, 0, 0x00}}},
        {1019, {{23, 0, 0, 300 & 0xFF}}},  // the encoder takes one byte
        {1013, {{4, 0x7F, 0xFF, 0xFF}}},
        {1014, {{39, 0, 0, 0x01}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        sim.ClearTelegrams();
        Click(dialog, c.button);
        EXPECT_EQ(Writes(), c.telegrams);
    }
    EXPECT_EQ(encoderParameters.debounceTime, 300u);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SendPresetsDialog, InputLevelsAreExtendedControls) {
    encoderParameters.extPreset1On = 1;
    encoderParameters.extPreset1ActiveHigh = 7;  // any value but 0 is "aktiv 1"
    encoderParameters.extPreset2ActiveHigh = 0;
    const int levels[] = {1015, 1016, 1017, 1018};
    {
        CSendPresetsDialog dialog;
        dialog.show();
        for (int id : levels) EXPECT_FALSE(dialog.Control(id)->isVisible()) << id;
        EXPECT_TRUE(Checked(dialog, 1015));
        EXPECT_TRUE(Checked(dialog, 1018));
        // Hidden, the level still goes out as stored.
        Click(dialog, 1055);
        EXPECT_EQ(Writes(), (std::vector<Telegram>{{2, 0, 0, 0}, {32, 0, 0, 0x03}}));
        EXPECT_EQ(encoderParameters.extPreset1ActiveHigh, 1u);
    }
    ExtendedMode = 1;
    CSendPresetsDialog dialog;
    dialog.show();
    for (int id : levels) EXPECT_TRUE(dialog.Control(id)->isVisible()) << id;
    Click(dialog, 1016);  // preset 1 "aktiv 0"
    Click(dialog, 1017);  // preset 2 "aktiv 1"
    Click(dialog, 1);
    EXPECT_EQ(encoderParameters.extPreset1ActiveHigh, 0u);
    EXPECT_EQ(encoderParameters.extPreset2ActiveHigh, 1u);
}
