// What every send dialog shares, seen through "Presets Senden": the fill shows the parameter
// set, the take-over reads "$" hexadecimal and wraps around, radio groups read −1 when none is
// selected, "Schliessen" and Enter store, Escape does not, a failed send shows the device error.
#include <QApplication>
#include <QTimer>

#include "SendBaseFixture.h"
#include "app/AppSession.h"
#include "ui/send/SendDialogs.h"
#include "ui/send/SendPresetsDialog.h"
#include "ui/send/SendScalingDialog.h"

using namespace veltrin;
using namespace veltrin::ui;

using SendBase = veltrin::test::SendOnSimulator;

TEST_F(SendBase, TakeOverReadsHexadecimalAndWrapsAround) {
    encoderParameters.internalPreset = -5;
    encoderParameters.debounceTime = 0xFFFFFFFFu;
    CSendPresetsDialog dialog;
    dialog.InitDialog();
    EXPECT_EQ(Field(dialog, 1052), "-5");
    EXPECT_EQ(Field(dialog, 1063), "-1");  // filled as a signed number
    EXPECT_EQ(Field(dialog, 1060), "0");

    Type(dialog, 1052, "$1f");
    Type(dialog, 1054, "-$1F");
    Type(dialog, 1056, "$12G");
    Type(dialog, 1060, " 42");
    Type(dialog, 1063, "4294967296");
    Click(dialog, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(encoderParameters.internalPreset, 31);
    EXPECT_EQ(encoderParameters.extPreset1, -31);
    EXPECT_EQ(encoderParameters.extPreset2, 0);
    EXPECT_EQ(encoderParameters.presetOffset, 42);
    EXPECT_EQ(encoderParameters.debounceTime, 0u);
    EXPECT_EQ(Field(dialog, 1052), "$1f");  // the field keeps what was typed
    EXPECT_TRUE(Writes().empty());          // "Schliessen" sends nothing
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

TEST_F(SendBase, RadioGroupsAreIndependentAndReadMinusOneWhenEmpty) {
    encoderParameters.extPreset1On = 5;  // no button of the group
    encoderParameters.extPreset2On = 1;
    encoderParameters.lengthMeasurementOn = 0;
    CSendPresetsDialog dialog;
    dialog.show();
    EXPECT_FALSE(Checked(dialog, 1004));
    EXPECT_FALSE(Checked(dialog, 1005));
    EXPECT_TRUE(Checked(dialog, 1059));
    EXPECT_TRUE(Checked(dialog, 1061));
    Click(dialog, 1062);  // the other groups keep their choice
    EXPECT_TRUE(Checked(dialog, 1059));
    EXPECT_FALSE(Checked(dialog, 1061));
    Click(dialog, 1);
    EXPECT_EQ(encoderParameters.extPreset1On, 65535u);  // −1 in the low 16 bits
    EXPECT_EQ(encoderParameters.extPreset2On, 1u);
    EXPECT_EQ(encoderParameters.lengthMeasurementOn, 1u);
}

TEST_F(SendBase, EscapeDropsTheChangesAndEnterStoresThem) {
    encoderParameters.presetOffset = 7;
    {
        CSendPresetsDialog dialog;
        dialog.show();
        Type(dialog, 1060, "99");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(encoderParameters.presetOffset, 7);
    }
    CSendPresetsDialog dialog;
    dialog.show();
    Type(dialog, 1060, "99");
    QTest::keyClick(dialog.Control<QLineEdit>(1060), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(encoderParameters.presetOffset, 99);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(SendBase, FailedSendShowsTheDeviceErrorAndKeepsTheValues) {
    sim.SetSilent(true);
    // The message comes while the send's wait cursor is still on.
    QList<bool> waiting;
    SetMessageHook([&](const QString& text, QMessageBox::StandardButtons) {
        const QCursor* cursor = QApplication::overrideCursor();
        waiting << (cursor && cursor->shape() == Qt::WaitCursor);
        messages << text;
        return QMessageBox::Ok;
    });
    CSendPresetsDialog presets;
    presets.show();
    Type(presets, 1052, "123");
    Type(presets, 1060, "-4");
    Click(presets, 1053);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], Str(57656));  // "Geber antwortet nicht !"
    EXPECT_EQ(encoderParameters.internalPreset, 123);
    EXPECT_EQ(encoderParameters.presetOffset, -4);  // the whole dialog was taken over
    EXPECT_TRUE(presets.isVisible());

    // The scaling dialog closes after the message.
    messages.clear();
    CSendScalingDialog scaling;
    scaling.show();
    Click(scaling, 1064);
    EXPECT_EQ(messages, QStringList{Str(57656)});
    EXPECT_FALSE(scaling.isVisible());
    EXPECT_EQ(scaling.result(), QDialog::Rejected);
    EXPECT_EQ(waiting, (QList<bool>{true, true}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SendBase, ARefusedSendNamesTheParameterOnASecondLine) {
    CSendPresetsDialog presets;
    presets.show();
    Type(presets, 1052, "5");
    sim.NakTelegrams(3, 3);  // the next telegram, all three attempts
    Click(presets, 1053);
    EXPECT_EQ(messages,
              QStringList{"Geber meldet Parameterwert zu groß !\nParameter: Interner Preset (KP 1)"});
    // The scaling dialog the same way, before it closes.
    messages.clear();
    sim.NakTelegrams(3, 4);
    CSendScalingDialog scaling;
    scaling.show();
    Click(scaling, 1064);
    EXPECT_EQ(messages,
              QStringList{"Geber meldet Parameterwert zu klein !\nParameter: Skalierungsfaktor (KP 8)"});
    EXPECT_FALSE(scaling.isVisible());
}

TEST_F(SendBase, HelpSetsTheDialogsTopic) {
    QStringList topics;
    SetHelpHandler([&] { topics << HelpTopic(); });
    CSendPresetsDialog presets;
    presets.show();
    Click(presets, 57670);
    CSendScalingDialog scaling;
    scaling.show();
    QTest::keyClick(&scaling, Qt::Key_F1);
    EXPECT_EQ(topics, (QStringList{"SendenPresets", "SendenSkalierung"}));
}

TEST_F(SendBase, MenuCommandsOpenTheirDialogs) {
    QStringList titles;
    for (int command : {32784, 32785}) {
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                titles << w->windowTitle();
                static_cast<QDialog*>(w)->reject();
            }
        });
        RunSendDialog(command, nullptr);
    }
    EXPECT_EQ(titles, (QStringList{"Presets Senden", "Skalierung Senden"}));
    EXPECT_TRUE(sim.Telegrams().empty());  // nothing is read when a send dialog opens
}
