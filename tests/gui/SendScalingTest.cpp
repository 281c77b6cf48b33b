// "Skalierung Senden": the factor as text with its nine-character limit, the measuring-steps
// check on its "Senden", and the choice that enables one pair of fields.
#include <cstring>

#include "SendBaseFixture.h"
#include "app/AppSession.h"
#include "params/Encoding.h"
#include "params/InputRules.h"
#include "ui/send/SendScalingDialog.h"

using namespace veltrin;
using namespace veltrin::ui;
using sim::Telegram;

using SendScalingDialog = veltrin::test::SendOnSimulator;

namespace {
std::string FactorText() {
    const char* t = encoderParameters.scalingFactorText;
    return std::string(t, strnlen(t, sizeof encoderParameters.scalingFactorText));
}
bool Enabled(const ParameterDialog& dialog, int id) { return dialog.Control(id)->isEnabled(); }
}  // namespace

TEST_F(SendScalingDialog, FactorIsTextCutToNineCharacters) {
    CSendScalingDialog dialog;
    dialog.show();
    EXPECT_EQ(Field(dialog, 1063), "1.0000000");  // the start-up value
    Type(dialog, 1063, "0.5");
    Click(dialog, 1064);
    EXPECT_EQ(FactorText(), "0.5");
    ASSERT_EQ(Writes().size(), 1u);
    EXPECT_EQ(Writes()[0][0], 8);

    Type(dialog, 1063, "$1");
    Click(dialog, 1);
    EXPECT_EQ(FactorText(), "1");

    // Ten stored characters (no terminator) show and store as nine; typing stops at nine.
    std::memcpy(encoderParameters.scalingFactorText, "1234567890", 10);
    CSendScalingDialog longer;
    longer.show();
    EXPECT_EQ(Field(longer, 1063), "123456789");
    Type(longer, 1063, "0.000000012");
    EXPECT_EQ(Field(longer, 1063), "0.0000000");
    auto* factor = longer.Control<QLineEdit>(1063);
    factor->selectAll();
    factor->insert("12345678901234");  // as pasted: refused
    EXPECT_EQ(Field(longer, 1063), "0.0000000");
    Click(longer, 1);
    EXPECT_EQ(FactorText(), "0.0000000");
    EXPECT_EQ(encoderParameters.scalingFactorText[9], '\0');
}

TEST_F(SendScalingDialog, FactorOverItsLimitStoresAndSendsNothing) {
    encoderParameters.measuringSteps = 5;
    CSendScalingDialog dialog;
    dialog.show();
    Type(dialog, 1065, "77");
    Type(dialog, 1063, "$FFFFFFFF");  // nine typed, ten after the hexadecimal notation
    for (int button : {1064, 1}) {
        SCOPED_TRACE(button);
        messages.clear();
        Click(dialog, button);
        EXPECT_EQ(messages, QStringList{"Geben Sie nicht mehr als 9 Zeichen ein."});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Control<QLineEdit>(1063)->selectedText(), "$FFFFFFFF");
        EXPECT_EQ(encoderParameters.measuringSteps, 5u);
        EXPECT_EQ(FactorText(), "1.0000000");
    }
    EXPECT_TRUE(Writes().empty());
}

TEST_F(SendScalingDialog, MeasuringStepsAreCheckedBeforeTheirSend) {
    CSendScalingDialog dialog;
    dialog.show();
    Click(dialog, 1070);
    Type(dialog, 1065, "99");
    Type(dialog, 1066, "100");
    Click(dialog, 1011);
    EXPECT_EQ(messages, QStringList{QString::fromLatin1(kMeasuringStepsMessage)});
    EXPECT_EQ(encoderParameters.measuringSteps, 99u);
    EXPECT_EQ(encoderParameters.stepsForMeasuringSteps, 100u);
    EXPECT_EQ(encoderParameters.scalingSelection, 1u);
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(dialog.isVisible());

    messages.clear();
    Type(dialog, 1065, "100");
    Click(dialog, 1011);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(Writes(), (std::vector<Telegram>{{10, 0, 0, 100}, {11, 0, 0, 100}}));

    // Only the measuring-steps pair is checked: the revolutions send ignores it.
    sim.ClearTelegrams();
    Type(dialog, 1065, "1");
    Click(dialog, 1071);
    Type(dialog, 1068, "$10");
    Type(dialog, 1067, "4096");
    Click(dialog, 1012);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(Writes(), (std::vector<Telegram>{{10, 0, 0x10, 0x00}, {9, 0, 0, 16}}));
}

TEST_F(SendScalingDialog, ChoiceEnablesOnePairAndIsStoredByTheTakeOver) {
    encoderParameters.scalingSelection = 5;
    CSendScalingDialog dialog;
    dialog.show();
    EXPECT_TRUE(Checked(dialog, 1069));
    for (int id : {1063, 1064}) EXPECT_TRUE(Enabled(dialog, id)) << id;
    for (int id : {1065, 1066, 1011, 1068, 1067, 1012}) EXPECT_FALSE(Enabled(dialog, id)) << id;

    Click(dialog, 1071);
    for (int id : {1068, 1067, 1012}) EXPECT_TRUE(Enabled(dialog, id)) << id;
    for (int id : {1063, 1064, 1065, 1066, 1011}) EXPECT_FALSE(Enabled(dialog, id)) << id;
    for (int id : {1069, 1070, 1071, 1, 57670}) EXPECT_TRUE(Enabled(dialog, id)) << id;
    EXPECT_EQ(encoderParameters.scalingSelection, 5u);  // not before the take-over
    Click(dialog, 1);
    EXPECT_EQ(encoderParameters.scalingSelection, 2u);
    EXPECT_TRUE(Writes().empty());

    encoderParameters.scalingSelection = 5;
    CSendScalingDialog unchanged;
    unchanged.show();
    Click(unchanged, 1);
    EXPECT_EQ(encoderParameters.scalingSelection, 0u);
}
