#pragma once
// CSeriesDialog (dialog 210, "Serie programmieren"): programs the encoders on several serial
// devices side by side from one configuration, one station per device (veltrin::Batch).
//   2101 the configuration: the document's file, or "(aktuelle Parameter)" while the document is
//        untitled or modified; 2102 "..." picks another .ssi file;
//   2103 the stations: the devices "Suchen" (2104) found, each with a check box and its state
//        (the encoders found ticked, the others unticked);
//   2105 "EEPROM speichern", 2106 "Prüfen"; 2107 the log file (empty: none) and 2108 "...";
//   2109 a row for each station while it runs: device, state, last result, count, problem;
//   2110 the summary once every station has finished;
//   "Start" (2111), "Stop" (2112), "Schliessen" (2) and "Hilfe" (57670).
// The batch runs on a thread of its own; the stations' reports come to the dialog through its
// event queue. Closing the dialog while the batch runs stops it and waits for its end. The
// program's own port (SetOwnPort) is given up while the scan or the batch runs and taken again
// after.
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "doc/Batch.h"
#include "doc/SeriesLog.h"
#include "link/Link.h"
#include "params/Scan.h"
#include "ui/common/ParameterDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace veltrin {
class CSerialPort;
}
namespace veltrin::app {
class CVeltrinDoc;
}

namespace veltrin::ui {

class CSeriesDialog : public ParameterDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        kConfiguration = 2101,
        kChooseConfiguration = 2102,
        kStations = 2103,
        kSearch = 2104,
        kStore = 2105,
        kVerify = 2106,
        kLog = 2107,
        kChooseLog = 2108,
        kTable = 2109,
        kSummary = 2110,
        kStart = 2111,
        kStop = 2112,
        kClose = 2,
    };
    /// The columns of the table 2109.
    enum Column : int { kDeviceColumn, kStateColumn, kResultColumn, kCountColumn, kProblemColumn };

    /// documentPath: the open document's file (empty while untitled); modified: it holds
    /// changes not saved, so the parameter set in force is programmed rather than the file.
    CSeriesDialog(const QString& documentPath, bool modified, QWidget* parent = nullptr);
    ~CSeriesDialog() override;

    /// The program's port, closed while a scan or the batch runs and opened again after.
    void SetOwnPort(CSerialPort* port) { ownPort_ = port; }
    /// The stations to choose from, as a scan found them (found encoders ticked).
    void SetStations(const std::vector<ScanResult>& results);
    /// The configuration file to program; empty: the parameter set in force.
    void SetConfigurationFile(const QString& path);
    const QString& ConfigurationFile() const { return configuration_; }
    /// The link timing of the stations (tests shorten it); the program's own by default.
    void SetTiming(const LinkTiming& timing) { timing_ = timing; }

    QTreeWidget* StationList() const { return stations_; }
    QTreeWidget* Table() const { return table_; }
    QLabel* Summary() const { return summary_; }
    /// Whether the scan or the batch runs now.
    bool Scanning() const { return scanner_.joinable(); }
    bool Running() const { return runner_.joinable(); }

    /// "Suchen": scans the candidates on a worker thread; the list fills when it is done.
    void Search();
    /// "Start": checks the choice, opens the log and starts the batch on a worker thread.
    void Start();
    /// "Stop": asks every station to stop between two telegrams.
    void Stop();

    /// The devices "Suchen" looks at (tests name their own); the machine's serial devices when
    /// empty.
    static std::function<std::vector<std::string>()> candidateSource;
    /// What picks a file (log: the log file, else a configuration), given the field's text;
    /// an empty answer is a cancel. Tests put their own; a file dialog when empty.
    static std::function<QString(bool log, const QString& current)> fileChooser;

public slots:
    /// Stops a running batch and waits for it first: no thread outlives the dialog.
    void done(int result) override;

private:
    class Listener;

    void ChooseConfiguration();
    void ChooseLog();
    void ShowConfiguration();
    void ScanDone(const std::vector<ScanResult>& results);
    void ShowStation(std::size_t index, const StationStatus& status);
    void RunEnded();
    /// Joins the batch's thread, shows every station's last state and the summary.
    void Finish();
    void UpdateControls();
    void ReleaseOwnPort();
    void RetakeOwnPort();
    void WaitForThreads();

    QLineEdit* configurationField_;
    QTreeWidget* stations_;
    QCheckBox* store_;
    QCheckBox* verify_;
    QLineEdit* logField_;
    QTreeWidget* table_;
    QLabel* summary_;

    QString documentPath_;
    QString configuration_;
    LinkTiming timing_{};
    CSerialPort* ownPort_ = nullptr;
    bool ownPortReleased_ = false;

    std::thread scanner_;
    std::unique_ptr<Batch> batch_;
    std::unique_ptr<Listener> listener_;
    std::unique_ptr<SeriesLog> log_;
    std::thread runner_;
};

/// "Datei" > "Serie programmieren...": the dialog for the open document; port is the program's
/// own, given up while the dialog scans or programs.
void RunSeriesCommand(QWidget* owner, const app::CVeltrinDoc& document, CSerialPort* port);

}  // namespace veltrin::ui
