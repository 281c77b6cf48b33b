// "Suchen" in the interface dialog: simulated encoders found (the program's own port among
// them), the others shown with their reason, the chosen one bound to the selected COM port.
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "AppFixture.h"
#include "ui/main/PortDialog.h"
#include "ui/main/ScanDialog.h"

namespace veltrin::test {
namespace {

class ScanDialogTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        savedSource = ui::CPortDialog::serialDeviceSource;
    }
    void TearDown() override {
        ui::CPortDialog::serialDeviceSource = savedSource;
        AppTest::TearDown();
    }
    /// The interface dialog's devices: these instead of the machine's.
    void Devices(std::vector<std::string> devices) {
        ui::CPortDialog::serialDeviceSource = [devices] { return devices; };
    }
    std::function<std::vector<std::string>()> savedSource;
};

bool Choosable(const QTreeWidgetItem* item) { return (item->flags() & Qt::ItemIsEnabled) != 0; }

TEST_F(ScanDialogTest, SearchFindsTheEncodersAndBindsTheChosenOne) {
    sim::SimulatorOptions o;
    o.firmware = "0207";
    sim::EncoderSimulator second(o), silent;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(silent.Start());
    silent.SetSilent(true);
    StartOnSimulator();  // the program holds the first encoder's device open
    const std::string missing = "/nonexistent/ttyUSB9";
    Devices({silent.DevicePath(), second.DevicePath(), missing});
    const QString own = QString::fromStdString(sim.DevicePath());

    bool searched = false;
    OnNextModal<ui::CPortDialog>([&](ui::CPortDialog& dialog) {
        EXPECT_EQ(dialog.SearchButton()->text(), "Suchen");
        EXPECT_EQ(dialog.SearchButton()->objectName(), "2020");
        dialog.Button(1)->setChecked(true);  // COM 2
        OnNextModal<ui::CScanDialog>([&](ui::CScanDialog& scan) {
            searched = true;
            EXPECT_EQ(scan.windowTitle(), "Geber suchen");
            QTreeWidget* list = scan.List();
            ASSERT_EQ(list->topLevelItemCount(), 4);
            const QStringList devices{QString::fromStdString(silent.DevicePath()),
                                      QString::fromStdString(second.DevicePath()),
                                      QString::fromStdString(missing), own};
            const QStringList results{"kein Geber antwortet", "Geber antwortet, Firmware 02.07",
                                      "gibt es nicht", "Geber antwortet, Firmware 01.04"};
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(list->topLevelItem(i)->text(0), devices[i]);
                EXPECT_EQ(list->topLevelItem(i)->text(1), results[i]);
            }
            EXPECT_FALSE(Choosable(list->topLevelItem(0)));
            EXPECT_TRUE(Choosable(list->topLevelItem(1)));
            EXPECT_FALSE(Choosable(list->topLevelItem(2)));
            EXPECT_TRUE(Choosable(list->topLevelItem(3)));
            // The first encoder found is chosen already; the program's port is free meanwhile.
            EXPECT_EQ(scan.ChosenDevice(), devices[1]);
            EXPECT_EQ(scan.findChild<QLabel*>("2022")->text(), "Geber gefunden an 2 von 4 Geräten.");
            EXPECT_EQ(scan.findChild<QLabel*>("2023")->text(), "Das gewählte Gerät wird COM 2 zugeordnet.");
            EXPECT_TRUE(scan.findChild<QPushButton*>("1")->isEnabled());
            list->setCurrentItem(list->topLevelItem(3));
            scan.findChild<QPushButton*>("1")->click();
        });
        dialog.SearchButton()->click();
        EXPECT_EQ(dialog.Device(2), own);
        EXPECT_EQ(dialog.Choice(), 1);
        EXPECT_TRUE(app->serialPort.IsOpen());  // taken again after the scan
        dialog.findChild<QPushButton*>("1")->click();
    });
    Frame().RunCommand(32780);
    ASSERT_TRUE(searched);
    EXPECT_EQ(Stored("Global/Port2Device").toString(), own);
    EXPECT_EQ(app->portNumber, 2);
    EXPECT_TRUE(messages.empty());
    // Only the firmware read on the encoders' lines.
    for (const sim::EncoderSimulator* e : {&sim, &second})
        for (const sim::Telegram& t : e->Telegrams()) EXPECT_EQ(t, (sim::Telegram{0x80, 0, 0, 31}));
    EXPECT_TRUE(silent.Telegrams().empty());
}

TEST_F(ScanDialogTest, NothingFoundOffersNothingAndCancelKeepsTheEntries) {
    sim::EncoderSimulator silent;
    ASSERT_TRUE(silent.Start());
    silent.SetSilent(true);
    // COM 1 is the silent device, which the program holds open.
    Store("Global/Port1Device", QString::fromStdString(silent.DevicePath()));
    ASSERT_TRUE(Start());
    Devices({silent.DevicePath()});
    bool searched = false;
    OnNextModal<ui::CPortDialog>([&](ui::CPortDialog& dialog) {
        dialog.DeviceBox(1)->setEditText("/dev/ttyUSB7");
        OnNextModal<ui::CScanDialog>([&](ui::CScanDialog& scan) {
            searched = true;
            ASSERT_EQ(scan.List()->topLevelItemCount(), 2);  // the entry is looked at too
            EXPECT_EQ(scan.List()->topLevelItem(1)->text(0), "/dev/ttyUSB7");
            EXPECT_EQ(scan.ChosenDevice(), "");
            EXPECT_EQ(scan.findChild<QLabel*>("2022")->text(), "Kein Geber gefunden.");
            EXPECT_EQ(scan.findChild<QLabel*>("2023")->text(), "Das gewählte Gerät wird COM 1 zugeordnet.");
            EXPECT_FALSE(scan.findChild<QPushButton*>("1")->isEnabled());
            // Help goes to the section about finding the encoder.
            scan.findChild<QPushButton*>("57670")->click();
            scan.findChild<QPushButton*>("2")->click();
        });
        dialog.SearchButton()->click();
        EXPECT_EQ(dialog.Device(1), "/dev/ttyUSB7");
        dialog.reject();
    });
    Frame().RunCommand(32780);
    ASSERT_TRUE(searched);
    ASSERT_EQ(openedHelp.size(), 1);
    EXPECT_TRUE(openedHelp[0].endsWith("/Veltrin-P.html#Suchen")) << openedHelp[0].toStdString();
    for (const char* page : {"/help/Veltrin-P.html", "/help/en/Veltrin-P.html"}) {
        QFile file(QString::fromUtf8(VELTRIN_BUILD_DIR) + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains("id=\"Suchen\"")) << page;
    }
}

}  // namespace
}  // namespace veltrin::test
