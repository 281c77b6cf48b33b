// Start-up: settings with their defaults and damaged values, the English resources, the
// command line (configuration file, --device), the interface and language dialogs.
#include <QButtonGroup>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "AppFixture.h"
#include "app/AppSession.h"
#include "doc/ConfigFile.h"
#include "res/Resources.h"
#include "ui/main/LanguageDialog.h"
#include "ui/main/PortDialog.h"

namespace veltrin::test {
namespace {

QString EnglishFile() { return QString::fromUtf8(VELTRIN_BUILD_DIR) + "/veltrin.en.txt"; }

QByteArray ConfigBytes(const EncoderParameters& p) {
    std::ostringstream out;
    WriteConfiguration(out, p);
    return QByteArray::fromStdString(out.str());
}

class StartupTest : public AppTest {};

TEST_F(StartupTest, FirstStartIsCom1GermanAndWritesNoSettings) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->portNumber, 1);
    EXPECT_EQ(app->language, 0);
    EXPECT_EQ(app->serialPort.portNumber, 1);
    EXPECT_EQ(app->ExtendedMode, 0);
    EXPECT_FALSE(EnglishInForce());
    EXPECT_EQ(Frame().windowTitle(), "Konfiguration - Veltrin");
    EXPECT_EQ(Frame().menuBar()->actions().first()->text(), "&Datei");
    EXPECT_FALSE(Stored("Global/Port").isValid());
    EXPECT_FALSE(Stored("Global/Language").isValid());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Frame().isVisible());
}

TEST_F(StartupTest, StoredPort3IsUsedAndThePortDialogThenSelectsNothing) {
    Store("Global/Port", 3);
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->portNumber, 3);
    EXPECT_EQ(app->serialPort.portNumber, 3);
    EXPECT_EQ(app->serialPort.DeviceName(), "/dev/ttyS2");

    bool seen = false;
    OnNextModal<ui::CPortDialog>([&](ui::CPortDialog& dialog) {
        seen = true;
        EXPECT_EQ(dialog.Choice(), -1);
        EXPECT_FALSE(dialog.Button(0)->isChecked());
        EXPECT_FALSE(dialog.Button(1)->isChecked());
        dialog.findChild<QPushButton*>("1")->click();
    });
    Frame().RunCommand(32780);
    EXPECT_TRUE(seen);
    // OK without a choice takes port 0, stores it and tries it, without a message.
    EXPECT_EQ(app->portNumber, 0);
    EXPECT_EQ(Stored("Global/Port").toInt(), 0);
    EXPECT_EQ(app->serialPort.DeviceName(), "/dev/ttyS-1");
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartupTest, PortDialogBindsDevicesAndCancelChangesNothing) {
    ASSERT_TRUE(Start());
    OnNextModal<ui::CPortDialog>([](ui::CPortDialog& dialog) {
        EXPECT_TRUE(dialog.Button(0)->isChecked());
        dialog.DeviceBox(2)->setEditText("  /dev/ttyUSB7 ");
        dialog.Button(1)->setChecked(true);
        dialog.findChild<QPushButton*>("2")->click();
    });
    Frame().RunCommand(32780);
    EXPECT_EQ(app->portNumber, 1);
    EXPECT_FALSE(Stored("Global/Port2Device").isValid());

    OnNextModal<ui::CPortDialog>([](ui::CPortDialog& dialog) {
        dialog.DeviceBox(2)->setEditText("  /dev/ttyUSB7 ");
        dialog.Button(1)->setChecked(true);
        dialog.findChild<QPushButton*>("1")->click();
    });
    Frame().RunCommand(32780);
    EXPECT_EQ(app->portNumber, 2);
    EXPECT_EQ(Stored("Global/Port").toInt(), 2);
    EXPECT_EQ(Stored("Global/Port2Device").toString(), "/dev/ttyUSB7");
    EXPECT_EQ(app->serialPort.DeviceName(), "/dev/ttyUSB7");

    // The binding is in force at the next start too, and shows in the dialog.
    app.reset();
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->serialPort.DeviceName(), "/dev/ttyUSB7");
    OnNextModal<ui::CPortDialog>([](ui::CPortDialog& dialog) {
        EXPECT_EQ(dialog.Device(2), "/dev/ttyUSB7");
        EXPECT_EQ(dialog.Device(1), "");
        EXPECT_EQ(dialog.Choice(), 1);
        dialog.reject();
    });
    Frame().RunCommand(32780);
}

TEST_F(StartupTest, EmptyOrBlankBoundDeviceIsNoBinding) {
    for (const QString& blank : {QString(""), QString("   "), QString("\t")}) {
        ClearSettings();
        Store("Global/Port", 2);
        Store("Global/Port1Device", "/dev/ttyUSB3");
        Store("Global/Port2Device", blank);
        ASSERT_TRUE(Start());
        EXPECT_EQ(app->Settings().portDevice[1], "");
        EXPECT_EQ(app->serialPort.DeviceName(), "/dev/ttyS1");  // the default device of COM 2
        EXPECT_EQ(app->serialPort.DeviceForPort(1), "/dev/ttyUSB3");
        app.reset();
    }
}

TEST_F(StartupTest, EnglishFileGivesEnglishMenusAndTexts) {
    Store("Global/Language", 1);
    QTemporaryDir programDir;
    ASSERT_TRUE(QFile::copy(EnglishFile(), programDir.filePath("veltrin.en.txt")));
    Make().programFolder = programDir.path();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app->languageLibraryLoaded);
    EXPECT_TRUE(EnglishInForce());
    EXPECT_EQ(Frame().menuBar()->actions().first()->text(), "&File");
    EXPECT_EQ(Frame().windowTitle(), "Configuration - Veltrin");
    EXPECT_EQ(Frame().Action(57600)->text(), "&New\tCtrl+N");
    EXPECT_EQ(ui::Str(57645), "All data transferred successfully!");

    // The program ends: German is in force again.
    app.reset();
    EXPECT_FALSE(EnglishInForce());
}

TEST_F(StartupTest, MissingOrCorruptEnglishFileRunsGermanAndKeepsTheLanguage) {
    Store("Global/Language", 1);
    QTemporaryDir programDir;
    Make().programFolder = programDir.path();  // no veltrin.en.txt there
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->language, 1);
    EXPECT_FALSE(EnglishInForce());
    EXPECT_EQ(Frame().menuBar()->actions().first()->text(), "&Datei");
    EXPECT_TRUE(messages.empty());

    // The language dialog shows "English"; OK restarts without a question.
    OnNextModal<ui::CLanguageDialog>([](ui::CLanguageDialog& dialog) {
        EXPECT_EQ(dialog.Choice(), 1);
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("1152")->isChecked());
        dialog.findChild<QPushButton*>("1")->click();
    });
    Frame().RunCommand(32791);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(started.size(), 1);

    app.reset();
    QFile corrupt(programDir.filePath("veltrin.en.txt"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArray("\x00\x01\x02 no entries here\n\xff\xfe", 22));
    corrupt.close();
    Make().programFolder = programDir.path();
    ASSERT_TRUE(Start());
    EXPECT_FALSE(EnglishInForce());
    EXPECT_EQ(ui::Str(57645), "Alle Daten erfolgreich übertragen !");
}

TEST_F(StartupTest, DamagedSettingsGiveDefaults) {
    struct Case {
        QVariant port, language;
        int wantPort, wantLanguage;
    };
    const Case cases[] = {
        {"abc", "xyz", 1, 0},
        {99999, 7, 1, 7},
        {-4, QStringList{"1", "2"}, 1, 0},
        {"2", "0", 2, 0},
        {QVariant(3.5), QVariant(true), 1, 0},
        {"0", "-1", 0, -1},
    };
    for (const Case& c : cases) {
        ClearSettings();
        Store("Global/Port", c.port);
        Store("Global/Language", c.language);
        Store("Recent File List/File1", QStringList{"a", "b"});
        Store("Recent File List/File2", "/tmp/x.ssi");
        Store("Recent File List/File3", "/tmp/x.ssi");
        Store("Global/Port1Device", 12);
        QTemporaryDir programDir;  // no English file
        Make().programFolder = programDir.path();
        ASSERT_TRUE(Start());
        EXPECT_EQ(app->portNumber, c.wantPort) << c.port.toString().toStdString();
        EXPECT_EQ(app->language, c.wantLanguage) << c.language.toString().toStdString();
        EXPECT_EQ(app->RecentFiles(), QStringList{"/tmp/x.ssi"});
        EXPECT_EQ(app->Settings().portDevice[0], "");
        app.reset();
    }
}

TEST_F(StartupTest, CommandLineFileKeepsItsValues) {
    EncoderParameters p{};
    p = DefaultEncoderParameters();
    p.internalPreset = 123456;
    p.outputCode = 1;
    const QString path = WriteFile("anlage.ssi", ConfigBytes(p));
    encoderParameters.internalPreset = 0;

    ASSERT_TRUE(Start({path}));
    EXPECT_EQ(encoderParameters.internalPreset, 123456);
    EXPECT_EQ(encoderParameters.outputCode, 1);
    EXPECT_EQ(Frame().windowTitle(), "anlage.ssi - Veltrin");
    EXPECT_EQ(app->RecentFiles().value(0), QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartupTest, CommandLineFileThatCannotBeReadEndsTheProgram) {
    const QString missing = FilePath("fehlt.ssi");
    EXPECT_FALSE(Start({missing}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, missing + " wurde nicht gefunden.");
    app.reset();
    messages.clear();

    const QString text = WriteFile("notiz.ssi", "Dies ist keine Konfiguration.\n");
    EXPECT_FALSE(Start({text}));
    EXPECT_EQ(Texts(), QStringList{"Unerwartetes Dateiformat."});
    app.reset();
    messages.clear();

    // A 0-byte file opens without a message and leaves the start-up values.
    const QString empty = WriteFile("leer.ssi", QByteArray());
    EXPECT_TRUE(Start({empty}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Frame().windowTitle(), "leer.ssi - Veltrin");
    EXPECT_EQ(encoderParameters.internalPreset, 0);
}

TEST_F(StartupTest, DeviceThatIsNoSerialPortFailsAtTheFirstExchange) {
    const QString regular = WriteFile("kein-port", "x");
    // The port message names the device and the reason in a second line.
    const std::vector<std::pair<QString, QString>> devices = {
        {"/nonexistent/ttyX", "/nonexistent/ttyX gibt es nicht."},
        {"/dev/null", "/dev/null ist keine serielle Schnittstelle."},
        {regular, regular + " ist keine serielle Schnittstelle."}};
    for (const auto& [device, reason] : devices) {
        messages.clear();
        ASSERT_TRUE(Start({"--device", device}));
        EXPECT_FALSE(app->serialPort.IsOpen()) << device.toStdString();
        EXPECT_TRUE(messages.empty());
        Frame().RunCommand(32777);  // Alles Abfragen
        EXPECT_EQ(Texts(), (QStringList{"Der Anschluß COM 1 kann nicht geöffnet werden !\n" + reason,
                                        "Geber antwortet nicht !"}))
            << device.toStdString();
        app.reset();
    }
}

}  // namespace
}  // namespace veltrin::test
