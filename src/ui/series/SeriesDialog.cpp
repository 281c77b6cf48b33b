#include "ui/series/SeriesDialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <atomic>
#include <system_error>

#include "app/AppSession.h"
#include "app/VeltrinApp.h"
#include "app/VeltrinDoc.h"
#include "doc/ConfigFile.h"
#include "doc/Series.h"
#include "link/SerialPort.h"
#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

std::function<std::vector<std::string>()> CSeriesDialog::candidateSource;
std::function<QString(bool log, const QString& current)> CSeriesDialog::fileChooser;

/// Hands the stations' reports to the dialog's thread, and writes each encoder's record to the
/// log on the station's thread (the batch serializes the calls); a record that cannot be
/// written stops the run.
class CSeriesDialog::Listener : public BatchListener {
public:
    Listener(CSeriesDialog* dialog, SeriesLog* log, ProgramFile file, bool extended)
        : dialog_(dialog), log_(log), file_(std::move(file)), extended_(extended) {}

    void StationChanged(std::size_t station, const StationStatus& status) override {
        CSeriesDialog* dialog = dialog_;
        QMetaObject::invokeMethod(
            dialog, [dialog, station, status] { dialog->ShowStation(station, status); },
            Qt::QueuedConnection);
    }
    void EncoderDone(const BatchRecord& record) override {
        if (!log_->IsOpen()) return;
        const std::string line =
            ProgramRecordLine(record.when, record.device, static_cast<int>(record.station) + 1, file_,
                              extended_, record.outcome);
        if (log_->Append(line)) return;
        if (logError_ == 0) logError_ = log_->Error() != 0 ? log_->Error() : -1;
        // No encoder goes unrecorded: the run stops (the batch outlives every station thread).
        dialog_->Stop();
    }
    /// The error number of the first record that could not be written (-1 without one), or 0.
    int LogError() const { return logError_; }

private:
    CSeriesDialog* dialog_;
    SeriesLog* log_;
    ProgramFile file_;
    bool extended_;
    std::atomic<int> logError_{0};
};

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

QString StateText(const StationStatus& s) {
    switch (s.state) {
        case StationState::Starting:
        case StationState::Waiting:
            return Res("dialog.210.state.waiting");
        case StationState::Programming:
            return Res("dialog.210.state.programming").arg(Text(ProgramStepText(s.step)));
        case StationState::Removing:
            return Res("dialog.210.state.removing");
        case StationState::Finished:
            return Res("dialog.210.state.finished");
    }
    return {};
}

QString ResultText(const StationStatus& s) {
    if (!s.last) return {};
    const QString result = Text(ProgramResultText(*s.last));
    return s.lastFirmware.empty() ? result
                                  : Res("dialog.210.resultFirmware").arg(result, Text(s.lastFirmware));
}

/// A "..." button as wide as its text needs.
void NarrowButton(QPushButton* button) {
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(button->text()) + DluX(16));
}

}  // namespace

CSeriesDialog::CSeriesDialog(const QString& documentPath, bool modified, QWidget* parent)
    : ParameterDialog(IDD_SERIES, QStringLiteral("DateiSerie"), parent), documentPath_(documentPath) {
    // The configuration.
    AddLabel("configuration", 0, 0);
    auto* configurationRow = new QHBoxLayout;
    configurationField_ = new QLineEdit(this);
    configurationField_->setObjectName(ControlName(kConfiguration));
    configurationField_->setReadOnly(true);
    configurationRow->addWidget(configurationField_, 1);
    auto* chooseConfiguration = new QPushButton(ControlText(kChooseConfiguration), this);
    chooseConfiguration->setObjectName(ControlName(kChooseConfiguration));
    chooseConfiguration->setAutoDefault(false);
    NarrowButton(chooseConfiguration);
    configurationRow->addWidget(chooseConfiguration);
    Body()->addLayout(configurationRow, 0, 1);
    connect(chooseConfiguration, &QPushButton::clicked, this, &CSeriesDialog::ChooseConfiguration);

    // The stations to choose from.
    Body()->setAlignment(AddLabel("stations", 1, 0), Qt::AlignLeft | Qt::AlignTop);
    auto* stationColumn = new QVBoxLayout;
    stations_ = new QTreeWidget(this);
    stations_->setObjectName(ControlName(kStations));
    stations_->setColumnCount(2);
    stations_->setHeaderLabels({ControlText("device"), ControlText("scanState")});
    stations_->setRootIsDecorated(false);
    stations_->setUniformRowHeights(true);
    stations_->setMinimumHeight(DluY(52));
    stationColumn->addWidget(stations_, 1);
    auto* search = new QPushButton(ControlText(kSearch), this);
    search->setObjectName(ControlName(kSearch));
    search->setAutoDefault(false);
    stationColumn->addWidget(search, 0, Qt::AlignLeft);
    Body()->addLayout(stationColumn, 1, 1);
    connect(search, &QPushButton::clicked, this, &CSeriesDialog::Search);

    // What is done to each encoder, and the log.
    auto* options = new QHBoxLayout;
    store_ = new QCheckBox(ControlText(kStore), this);
    store_->setObjectName(ControlName(kStore));
    store_->setChecked(true);
    verify_ = new QCheckBox(ControlText(kVerify), this);
    verify_->setObjectName(ControlName(kVerify));
    verify_->setChecked(true);
    options->addWidget(store_);
    options->addWidget(verify_);
    options->addStretch(1);
    Body()->addLayout(options, 2, 1);

    AddLabel("log", 3, 0);
    auto* logRow = new QHBoxLayout;
    logField_ = new QLineEdit(this);
    logField_->setObjectName(ControlName(kLog));
    logField_->setPlaceholderText(ControlText("noLog"));
    logRow->addWidget(logField_, 1);
    auto* chooseLog = new QPushButton(ControlText(kChooseLog), this);
    chooseLog->setObjectName(ControlName(kChooseLog));
    chooseLog->setAutoDefault(false);
    NarrowButton(chooseLog);
    logRow->addWidget(chooseLog);
    Body()->addLayout(logRow, 3, 1);
    connect(chooseLog, &QPushButton::clicked, this, &CSeriesDialog::ChooseLog);

    // The stations while they run.
    table_ = new QTreeWidget(this);
    table_->setObjectName(ControlName(kTable));
    table_->setColumnCount(5);
    table_->setHeaderLabels({ControlText("device"), ControlText("state"), ControlText("result"),
                             ControlText("count"), ControlText("problem")});
    table_->setRootIsDecorated(false);
    table_->setUniformRowHeights(true);
    table_->setMinimumSize(DluX(360), DluY(70));
    Body()->addWidget(table_, 4, 0, 1, 2);

    summary_ = new QLabel(this);
    summary_->setObjectName(ControlName(kSummary));
    summary_->setTextFormat(Qt::PlainText);
    Body()->addWidget(summary_, 5, 0, 1, 2);
    Body()->setRowStretch(1, 1);
    Body()->setRowStretch(4, 2);
    Body()->setColumnStretch(1, 1);

    QPushButton* start = AddButton(kStart, true);
    connect(start, &QPushButton::clicked, this, &CSeriesDialog::Start);
    connect(AddButton(kStop), &QPushButton::clicked, this, &CSeriesDialog::Stop);
    connect(AddButton(kClose), &QPushButton::clicked, this, &QDialog::reject);
    connect(AddButton(57670), &QPushButton::clicked, this, &ParameterDialog::AskForHelp);

    SetConfigurationFile(modified ? QString() : documentPath);
    UpdateControls();
    resize(sizeHint());
}

CSeriesDialog::~CSeriesDialog() {
    WaitForThreads();
    RetakeOwnPort();
}

void CSeriesDialog::WaitForThreads() {
    if (batch_) batch_->Stop();
    if (scanner_.joinable() || runner_.joinable()) {
        WaitCursor wait;
        if (scanner_.joinable()) scanner_.join();
        if (runner_.joinable()) runner_.join();
    }
}

void CSeriesDialog::done(int result) {
    WaitForThreads();
    if (batch_) Finish();
    RetakeOwnPort();
    ParameterDialog::done(result);
}

void CSeriesDialog::SetConfigurationFile(const QString& path) {
    configuration_ = path;
    ShowConfiguration();
}

void CSeriesDialog::ShowConfiguration() {
    configurationField_->setText(configuration_.isEmpty() ? ControlText("currentParameters")
                                                          : configuration_);
    configurationField_->setToolTip(configurationField_->text());
}

void CSeriesDialog::ChooseConfiguration() {
    QString path;
    if (fileChooser) {
        path = fileChooser(false, configuration_);
    } else {
        path = QFileDialog::getOpenFileName(this, ControlText("chooseConfiguration"),
                                            configuration_.isEmpty() ? documentPath_ : configuration_,
                                            app::CVeltrinApp::FileFilter());
    }
    if (!path.isEmpty()) SetConfigurationFile(path);
}

void CSeriesDialog::ChooseLog() {
    QString path;
    if (fileChooser) {
        path = fileChooser(true, logField_->text());
    } else {
        // The log grows from run to run: an existing one is appended to, not replaced.
        path = QFileDialog::getSaveFileName(this, ControlText("chooseLog"), logField_->text(),
                                            ControlText("logFilter"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    if (!path.isEmpty()) logField_->setText(path);
}

void CSeriesDialog::ReleaseOwnPort() {
    // The program's own device would read as busy to a station or a probe.
    if (ownPort_ && ownPort_->IsOpen()) {
        ownPort_->Close();
        ownPortReleased_ = true;
    }
}

void CSeriesDialog::RetakeOwnPort() {
    if (!ownPortReleased_) return;
    ownPortReleased_ = false;
    if (ownPort_) ownPort_->Open();
}

void CSeriesDialog::Search() {
    if (Running() || Scanning()) return;
    std::vector<std::string> devices = candidateSource ? candidateSource() : ScanCandidates();
    ReleaseOwnPort();
    if (ownPort_ && !ownPort_->DeviceName().empty()) {
        const std::string own = ownPort_->DeviceName();
        bool listed = false;
        for (const std::string& d : devices) listed = listed || DeviceKey(d) == DeviceKey(own);
        if (!listed) devices.push_back(own);
    }
    summary_->setText(ControlText("searching"));
    try {
        scanner_ = std::thread([this, devices] {
            std::vector<ScanResult> results = ScanForEncoders(devices);
            QMetaObject::invokeMethod(
                this, [this, results] { ScanDone(results); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error& e) {
        summary_->clear();
        RetakeOwnPort();
        ShowMessage(this, QString::fromLocal8Bit(e.what()));
    }
    UpdateControls();
}

void CSeriesDialog::ScanDone(const std::vector<ScanResult>& results) {
    if (scanner_.joinable()) scanner_.join();
    RetakeOwnPort();
    SetStations(results);
    summary_->setText(results.empty() ? Text(ResText("scan.noCandidates")) : QString());
    UpdateControls();
}

void CSeriesDialog::SetStations(const std::vector<ScanResult>& results) {
    stations_->clear();
    for (const ScanResult& r : results) {
        auto* item = new QTreeWidgetItem(stations_, {Text(r.device), Text(ScanStateText(r))});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, r.state == ScanState::Found ? Qt::Checked : Qt::Unchecked);
    }
    stations_->resizeColumnToContents(0);
    stations_->resizeColumnToContents(1);
}

void CSeriesDialog::Start() {
    if (Running() || Scanning()) return;
    BatchJob job;
    for (int i = 0; i < stations_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = stations_->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked) job.devices.push_back(item->text(0).toStdString());
    }
    if (job.devices.empty()) {
        ShowMessage(this, ControlText("noStation"));
        return;
    }
    if (const std::string twice = RepeatedDevice(job.devices); !twice.empty()) {
        ShowMessage(this, ControlText("twice").arg(Text(twice)));
        return;
    }
    ProgramFile file;
    if (configuration_.isEmpty()) {
        job.set = encoderParameters;
    } else {
        file.path = configuration_.toStdString();
        // The file as it is now, and its hash from the very bytes read.
        const ConfigFileResult read = ReadProgramFile(file.path, job.set, file.sha256);
        if (!read.ok()) {
            ShowMessage(this, Text(ConfigFileErrorText(read, file.path)));
            return;
        }
    }
    // The log opens before any encoder is touched: a log that cannot be written starts nothing.
    const QString logPath = logField_->text().trimmed();
    auto log = std::make_unique<SeriesLog>();
    if (!logPath.isEmpty() && !log->Open(logPath.toStdString())) {
        ShowMessage(this, Text(LogErrorText(logPath.toStdString(), log->Error())));
        return;
    }
    job.extendedMode = TheSession().extendedMode;
    job.verify = verify_->isChecked();
    job.store = store_->isChecked();
    job.repeat = false;
    job.timing = timing_;

    table_->clear();
    for (const std::string& device : job.devices) {
        StationStatus waiting;
        waiting.device = device;
        auto* row = new QTreeWidgetItem(table_);
        row->setText(kDeviceColumn, Text(device));
        row->setText(kStateColumn, StateText(waiting));
        row->setTextAlignment(kCountColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    table_->resizeColumnToContents(kDeviceColumn);
    summary_->clear();

    ReleaseOwnPort();
    log_ = std::move(log);
    listener_ = std::make_unique<Listener>(this, log_.get(), file, job.extendedMode != 0);
    batch_ = std::make_unique<Batch>(std::move(job));
    try {
        runner_ = std::thread([this] {
            batch_->Run(listener_.get());
            QMetaObject::invokeMethod(this, &CSeriesDialog::RunEnded, Qt::QueuedConnection);
        });
    } catch (const std::system_error& e) {
        batch_.reset();
        listener_.reset();
        log_.reset();
        RetakeOwnPort();
        ShowMessage(this, QString::fromLocal8Bit(e.what()));
    }
    UpdateControls();
}

void CSeriesDialog::Stop() {
    if (batch_) batch_->Stop();
}

void CSeriesDialog::ShowStation(std::size_t index, const StationStatus& status) {
    QTreeWidgetItem* row = table_->topLevelItem(static_cast<int>(index));
    if (!row) return;
    row->setText(kStateColumn, StateText(status));
    row->setText(kResultColumn, ResultText(status));
    row->setText(kProblemColumn, Text(status.problem));
    row->setToolTip(kResultColumn, Text(status.problem));
    row->setToolTip(kProblemColumn, Text(status.problem));
    row->setText(kCountColumn, status.Count() > 0 ? QString::number(status.Count()) : QString());
    for (int column : {kStateColumn, kResultColumn, kCountColumn}) table_->resizeColumnToContents(column);
}

void CSeriesDialog::RunEnded() {
    if (batch_ && runner_.joinable()) Finish();
}

void CSeriesDialog::Finish() {
    if (runner_.joinable()) runner_.join();
    if (!batch_) return;
    // Every station's last state: the reports still queued say no more than this.
    const std::vector<StationStatus> stations = batch_->Stations();
    for (std::size_t i = 0; i < stations.size(); ++i) ShowStation(i, stations[i]);
    const StationStatus all = Totals(stations);
    summary_->setText(
        ControlText("summary").arg(all.programmed).arg(all.differences).arg(all.failed).arg(all.interrupted));
    const int logError = listener_ ? listener_->LogError() : 0;
    const std::string logPath = logField_->text().trimmed().toStdString();
    batch_.reset();
    listener_.reset();
    log_.reset();  // closed; the next run opens it again
    RetakeOwnPort();
    UpdateControls();
    if (logError != 0 && isVisible())
        ShowMessage(this, Text(LogErrorText(logPath, logError > 0 ? logError : 0)));
}

void CSeriesDialog::UpdateControls() {
    const bool busy = Running() || Scanning();
    for (int id : {kChooseConfiguration, kSearch, kStore, kVerify, kLog, kChooseLog, kStart})
        if (QWidget* w = Control(id)) w->setEnabled(!busy);
    stations_->setEnabled(!busy);
    if (QWidget* stop = Control(kStop)) stop->setEnabled(Running());
}

void RunSeriesCommand(QWidget* owner, const app::CVeltrinDoc& document, CSerialPort* port) {
    CSeriesDialog dialog(document.PathName(), document.IsModified(), owner);
    dialog.SetOwnPort(port);
    dialog.exec();
}

}  // namespace veltrin::ui
