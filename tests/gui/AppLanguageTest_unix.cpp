// The language setting and the interface dialog on Linux: the settings file is the one the
// command-line tool reads, and the interface dialog tells for each binding whether the device
// exists and may be opened (pseudo-terminals of simulators, /dev/null, one held by this process).
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLabel>

#include "AppFixture.h"
#include "link/SerialPort.h"
#include "res/LanguageChoice.h"
#include "ui/main/PortDialog.h"

namespace veltrin::test {
namespace {

using LanguageSettingTest = AppTest;

// The program stores "Language" where the command-line tool looks for it.
TEST_F(LanguageSettingTest, CommandLineToolReadsTheProgramsLanguageSetting) {
    const QString file = QSettings("Veltrin", "Veltrin").fileName();
    ASSERT_TRUE(file.endsWith("/Veltrin/Veltrin.conf")) << file.toStdString();
    const QByteArray configHome = QFileInfo(file).dir().absolutePath().section('/', 0, -2).toLocal8Bit();
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", configHome);
    EXPECT_FALSE(StoredLanguageSetting().has_value());
    ASSERT_TRUE(Start());
    OnNextModal<QDialog>([](QDialog& dialog) {
        dialog.findChild<QAbstractButton*>("1152")->click();
        dialog.accept();
    });
    answers = {QMessageBox::Ok};
    Frame().RunCommand(32791);  // the language dialog stores the choice
    EXPECT_EQ(StoredLanguageSetting(), std::optional<long long>(1));
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(LanguageSettingTest, InterfaceDialogShowsWhetherEachDeviceMayBeOpened) {
    StartOnSimulator();
    sim::EncoderSimulator second;
    ASSERT_TRUE(second.Start());
    sim::EncoderSimulator third;
    ASSERT_TRUE(third.Start());
    CSerialPort holder;
    holder.SetDeviceOverride(third.DevicePath());
    ASSERT_TRUE(holder.Open());
    const QString held = QString("benutzt von Prozess %1 (").arg(QCoreApplication::applicationPid());

    QStringList states;
    OnNextModal<ui::CPortDialog>([&](ui::CPortDialog& dialog) {
        auto show = [&](const QString& device) {
            dialog.DeviceBox(2)->setEditText(device);
            states << dialog.DeviceState(2);
        };
        show("/nonexistent/ttyUSB4");
        show("/dev/null");
        show(QString::fromStdString(second.DevicePath()));
        show(QString::fromStdString(sim.DevicePath()));  // the one this program has open
        show(QString::fromStdString(third.DevicePath()));
        EXPECT_NE(dialog.findChild<QLabel*>("Port2State"), nullptr);
        dialog.reject();
    });
    Frame().RunCommand(32780);
    ASSERT_EQ(states.size(), 5);
    EXPECT_EQ(states.mid(0, 4), (QStringList{"gibt es nicht", "keine serielle Schnittstelle",
                                             "vorhanden, kann geöffnet werden", "von Veltrin geöffnet"}));
    EXPECT_TRUE(states[4].startsWith(held)) << states[4].toStdString();
}

}  // namespace
}  // namespace veltrin::test
