// "Datei" > "Serie programmieren...": three simulated encoders programmed side by side (one of
// them silent), the table filled live, the log written; Stop and closing during a run end every
// station; a log that cannot be written starts nothing.
#include <QCheckBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cerrno>
#include <set>

#include "AppFixture.h"
#include "doc/ConfigFile.h"
#include "doc/Series.h"
#include "doc/SeriesLog.h"
#include "ui/series/SeriesDialog.h"

namespace veltrin::test {
namespace {

using Dialog = ui::CSeriesDialog;
constexpr int kSeriesCommand = 32800;
/// Generous: three stations at once on a loaded machine.
constexpr int kRunTimeoutMs = 60000;

class SeriesDialogTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        savedSource = Dialog::candidateSource;
        savedChooser = Dialog::fileChooser;
    }
    void TearDown() override {
        Dialog::candidateSource = savedSource;
        Dialog::fileChooser = savedChooser;
        AppTest::TearDown();
    }
    /// The stations' link timing: the tests' time-outs.
    static LinkTiming ShortTiming() {
        LinkTiming t;
        UseTestTimeouts(t);
        return t;
    }
    static ScanResult Found(const std::string& device) {
        ScanResult r;
        r.device = device;
        r.state = ScanState::Found;
        r.firmware = {'0', '1', '0', '4'};
        return r;
    }
    /// Runs fn in the dialog the menu command opens.
    void InDialog(const std::function<void(Dialog&)>& fn) {
        bool ran = false;
        OnNextModal<Dialog>([&](Dialog& dialog) {
            ran = true;
            dialog.SetTiming(ShortTiming());
            fn(dialog);
            if (dialog.isVisible()) dialog.findChild<QPushButton*>("2")->click();
        });
        Frame().RunCommand(kSeriesCommand);
        EXPECT_TRUE(ran);
    }
    static bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kRunTimeoutMs); }
    static QString Cell(Dialog& d, int row, int column) { return d.Table()->topLevelItem(row)->text(column); }
    /// Starts and waits until a station programs; the state it shows then names its step.
    static void StartAndWaitForProgramming(Dialog& d) {
        d.findChild<QPushButton*>("2111")->click();
        ASSERT_TRUE(d.Running());
        QString programming;
        ASSERT_TRUE(WaitUntil([&] {
            for (int i = 0; i < d.Table()->topLevelItemCount(); ++i)
                if (Cell(d, i, Dialog::kStateColumn).startsWith("Programmiert...")) {
                    programming = Cell(d, i, Dialog::kStateColumn);
                    return true;
                }
            return !d.Running();
        }));
        const QStringList steps{"Programmiert... (Firmware lesen)", "Programmiert... (Senden)",
                                "Programmiert... (Prüfen)", "Programmiert... (EEPROM speichern)"};
        EXPECT_TRUE(steps.contains(programming)) << programming.toStdString();
    }
    /// After a stop: every station finished, each with its one encoder counted.
    static void ExpectAllFinished(Dialog& d, int stations) {
        ASSERT_EQ(d.Table()->topLevelItemCount(), stations);
        for (int i = 0; i < stations; ++i) {
            EXPECT_EQ(Cell(d, i, Dialog::kStateColumn), "Fertig") << i;
            EXPECT_EQ(Cell(d, i, Dialog::kCountColumn), "1") << i;
        }
    }

    std::function<std::vector<std::string>()> savedSource;
    std::function<QString(bool, const QString&)> savedChooser;
};

TEST_F(SeriesDialogTest, SearchThenProgramTwoEncodersWhileTheSilentOneFails) {
    sim::EncoderSimulator second, silent;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(silent.Start());
    silent.SetSilent(true);
    StartOnSimulator();  // the program holds the first encoder's device open
    const std::vector<std::string> devices{sim.DevicePath(), second.DevicePath(), silent.DevicePath()};
    Dialog::candidateSource = [devices] { return devices; };
    EncoderParameters p = DefaultEncoderParameters();
    p.internalPreset = 4321;
    const QString ssi = FilePath("serie.ssi");
    ASSERT_TRUE(WriteConfigurationFile(ssi.toStdString(), p).ok());
    const QString logPath = FilePath("serie.jsonl");
    Dialog::fileChooser = [&](bool log, const QString&) { return log ? logPath : ssi; };
    ASSERT_EQ(Frame().Action(kSeriesCommand)->text(), "Serie pro&grammieren...");
    messages.clear();

    InDialog([&](Dialog& d) {
        EXPECT_EQ(d.windowTitle(), "Serie programmieren");
        EXPECT_EQ(d.findChild<QLineEdit*>("2101")->text(), "(aktuelle Parameter)");
        EXPECT_TRUE(d.findChild<QCheckBox*>("2105")->isChecked());
        EXPECT_TRUE(d.findChild<QCheckBox*>("2106")->isChecked());
        EXPECT_FALSE(d.findChild<QPushButton*>("2112")->isEnabled());
        d.findChild<QPushButton*>("2102")->click();
        EXPECT_EQ(d.findChild<QLineEdit*>("2101")->text(), ssi);
        d.findChild<QPushButton*>("2108")->click();
        EXPECT_EQ(d.findChild<QLineEdit*>("2107")->text(), logPath);

        d.findChild<QPushButton*>("2104")->click();
        ASSERT_TRUE(WaitUntil([&] { return !d.Scanning() && d.StationList()->topLevelItemCount() == 3; }));
        EXPECT_TRUE(app->serialPort.IsOpen());  // taken again after the scan
        QTreeWidget* list = d.StationList();
        const Qt::CheckState ticks[] = {Qt::Checked, Qt::Checked, Qt::Unchecked};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(list->topLevelItem(i)->text(0).toStdString(), devices[i]);
            EXPECT_EQ(list->topLevelItem(i)->checkState(0), ticks[i]) << i;
        }
        EXPECT_EQ(list->topLevelItem(2)->text(1), "kein Geber antwortet");
        list->topLevelItem(2)->setCheckState(0, Qt::Checked);

        d.findChild<QPushButton*>("2111")->click();
        EXPECT_TRUE(d.Running());
        EXPECT_TRUE(d.findChild<QPushButton*>("2112")->isEnabled());
        EXPECT_FALSE(d.findChild<QPushButton*>("2111")->isEnabled());
        ASSERT_TRUE(WaitUntil([&] { return !d.Summary()->text().isEmpty(); }));
        EXPECT_FALSE(d.Running());
        EXPECT_EQ(d.Summary()->text(), "Programmiert: 2, abweichend: 0, fehlgeschlagen: 1, abgebrochen: 0");
        ExpectAllFinished(d, 3);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(Cell(d, i, Dialog::kDeviceColumn).toStdString(), devices[i]);
            EXPECT_EQ(Cell(d, i, Dialog::kResultColumn), "programmiert, Firmware 01.04");
            EXPECT_EQ(Cell(d, i, Dialog::kProblemColumn), "");
        }
        EXPECT_EQ(Cell(d, 2, Dialog::kResultColumn), "fehlgeschlagen");
        EXPECT_EQ(Cell(d, 2, Dialog::kProblemColumn), "Geber antwortet nicht !");
        EXPECT_EQ(d.Table()->topLevelItem(2)->toolTip(Dialog::kResultColumn), "Geber antwortet nicht !");
        EXPECT_TRUE(d.findChild<QPushButton*>("2111")->isEnabled());
        EXPECT_FALSE(d.findChild<QPushButton*>("2112")->isEnabled());
        EXPECT_TRUE(app->serialPort.IsOpen());
    });
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0].text.toStdString());
    // The file's values went to both encoders, and into their EEPROM.
    for (const sim::EncoderSimulator* e : {&sim, &second}) {
        EXPECT_EQ(e->Eeprom(1), (sim::Data3{0x00, 0x10, 0xE1})) << e->DevicePath();
    }
    EXPECT_TRUE(silent.Telegrams().empty());

    // One record for each encoder, stations 1 to 3, the file and its hash named.
    EncoderParameters read{};
    std::string sha;
    ASSERT_TRUE(ReadProgramFile(ssi.toStdString(), read, sha).ok());
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);  // three lines and the empty rest after the last line end
    EXPECT_TRUE(lines[3].isEmpty());
    std::set<int> stations;
    for (int i = 0; i < 3; ++i) {
        const QJsonObject record = QJsonDocument::fromJson(lines[i]).object();
        const int station = record["station"].toInt();
        stations.insert(station);
        ASSERT_TRUE(station >= 1 && station <= 3) << lines[i].toStdString();
        EXPECT_EQ(record["device"].toString().toStdString(), devices[station - 1]);
        EXPECT_EQ(record["result"].toString(), station == 3 ? "failed" : "programmed");
        EXPECT_EQ(record["file"].toString(), ssi);
        EXPECT_EQ(record["sha256"].toString().toStdString(), sha);
    }
    EXPECT_EQ(stations, (std::set<int>{1, 2, 3}));
}

TEST_F(SeriesDialogTest, StopEndsEveryStationAndNoRowStaysRunning) {
    sim::SimulatorOptions o;
    o.lineRate = true;  // an encoder takes seconds: the stop comes while they program
    sim::EncoderSimulator a(o), b(o), c(o);
    for (sim::EncoderSimulator* e : {&a, &b, &c}) ASSERT_TRUE(e->Start());
    ASSERT_TRUE(Start());
    messages.clear();
    InDialog([&](Dialog& d) {
        d.SetStations({Found(a.DevicePath()), Found(b.DevicePath()), Found(c.DevicePath())});
        StartAndWaitForProgramming(d);
        d.findChild<QPushButton*>("2112")->click();
        ASSERT_TRUE(WaitUntil([&] { return !d.Running(); }));
        ExpectAllFinished(d, 3);
        EXPECT_TRUE(d.Summary()->text().startsWith("Programmiert: ")) << d.Summary()->text().toStdString();
        EXPECT_TRUE(d.Summary()->text().contains("abgebrochen: ")) << d.Summary()->text().toStdString();
        EXPECT_FALSE(d.Summary()->text().endsWith("abgebrochen: 0"));
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(SeriesDialogTest, ClosingWhileRunningStopsTheBatchAndWaitsForIt) {
    sim::SimulatorOptions o;
    o.lineRate = true;
    sim::EncoderSimulator a(o), b(o);
    for (sim::EncoderSimulator* e : {&a, &b}) ASSERT_TRUE(e->Start());
    StartOnSimulator();
    InDialog([&](Dialog& d) {
        d.SetStations({Found(a.DevicePath()), Found(b.DevicePath()), Found(sim.DevicePath())});
        StartAndWaitForProgramming(d);
        EXPECT_FALSE(app->serialPort.IsOpen());  // given to its station meanwhile
        d.findChild<QPushButton*>("2")->click();
        EXPECT_FALSE(d.Running());
        EXPECT_FALSE(d.isVisible());
        ExpectAllFinished(d, 3);
    });
    EXPECT_TRUE(app->serialPort.IsOpen());
    // Nothing goes on the lines any more.
    const std::size_t sent = a.Telegrams().size() + b.Telegrams().size();
    QTest::qWait(300);
    EXPECT_EQ(a.Telegrams().size() + b.Telegrams().size(), sent);
}

TEST_F(SeriesDialogTest, ALogThatCannotBeWrittenStartsNothing) {
    sim::EncoderSimulator a, b;
    for (sim::EncoderSimulator* e : {&a, &b}) ASSERT_TRUE(e->Start());
    ASSERT_TRUE(Start());
    messages.clear();
    const QString logPath = FilePath("missing-folder/serie.jsonl");
    InDialog([&](Dialog& d) {
        d.SetStations({Found(a.DevicePath()), Found(b.DevicePath())});
        d.findChild<QLineEdit*>("2107")->setText(logPath);
        d.findChild<QPushButton*>("2111")->click();
        EXPECT_FALSE(d.Running());
        EXPECT_EQ(d.Table()->topLevelItemCount(), 0);
        EXPECT_EQ(d.Summary()->text(), "");
        // Nothing chosen: said, nothing started.
        for (int i = 0; i < 2; ++i) d.StationList()->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        d.findChild<QLineEdit*>("2107")->clear();
        d.findChild<QPushButton*>("2111")->click();
        EXPECT_FALSE(d.Running());
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.toStdString(), LogErrorText(logPath.toStdString(), ENOENT));
    EXPECT_EQ(messages[1].text, "Keine Station gewählt.");
    QTest::qWait(100);
    EXPECT_TRUE(a.Telegrams().empty());
    EXPECT_TRUE(b.Telegrams().empty());
    EXPECT_EQ(a.Counters().connectionAttempts + b.Counters().connectionAttempts, 0);
}

TEST_F(SeriesDialogTest, ALogThatFillsUpStopsTheRun) {
    // /dev/full opens like a file with room, and every write fails as on a full disk.
    sim::EncoderSimulator a, b;
    for (sim::EncoderSimulator* e : {&a, &b}) ASSERT_TRUE(e->Start());
    ASSERT_TRUE(Start());
    messages.clear();
    b.SetReplyDelay(150);  // b's verify is slow: a is done first, and its record fails
    InDialog([&](Dialog& d) {
        d.SetStations({Found(a.DevicePath()), Found(b.DevicePath())});
        d.findChild<QLineEdit*>("2107")->setText("/dev/full");
        d.findChild<QPushButton*>("2111")->click();
        ASSERT_TRUE(WaitUntil([&] { return !d.Running(); }));
        EXPECT_EQ(d.Summary()->text(), "Programmiert: 1, abweichend: 0, fehlgeschlagen: 0, abgebrochen: 1");
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.toStdString(), LogErrorText("/dev/full", ENOSPC));
    for (const sim::Telegram& t : b.Telegrams()) EXPECT_NE(t[0], 26) << "b stored without a record";
}

TEST_F(SeriesDialogTest, TheDocumentIsProgrammedFromItsFileUnlessItWasChanged) {
    EncoderParameters p = DefaultEncoderParameters();
    const QString ssi = FilePath("anlage.ssi");
    ASSERT_TRUE(WriteConfigurationFile(ssi.toStdString(), p).ok());
    ASSERT_TRUE(Start({ssi}));
    InDialog([&](Dialog& d) {
        EXPECT_EQ(d.ConfigurationFile(), ssi);
        EXPECT_EQ(d.findChild<QLineEdit*>("2101")->text(), ssi);
        // Help goes to the dialog's section.
        d.findChild<QPushButton*>("57670")->click();
    });
    ASSERT_EQ(openedHelp.size(), 1);
    EXPECT_TRUE(openedHelp[0].endsWith("/Veltrin-P.html#DateiSerie")) << openedHelp[0].toStdString();
    app->Document().SetModifiedFlag();
    InDialog([&](Dialog& d) {
        EXPECT_EQ(d.ConfigurationFile(), "");
        EXPECT_EQ(d.findChild<QLineEdit*>("2101")->text(), "(aktuelle Parameter)");
    });
    for (const char* page : {"/help/Veltrin-P.html", "/help/en/Veltrin-P.html"}) {
        QFile file(QString::fromUtf8(VELTRIN_BUILD_DIR) + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains("id=\"DateiSerie\"")) << page;
    }
}

}  // namespace
}  // namespace veltrin::test
