#include "ui/main/PortDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "link/PortDiagnosis.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "params/Scan.h"
#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"
#include "ui/main/ScanDialog.h"

namespace veltrin::ui {

std::function<std::vector<std::string>()> CPortDialog::serialDeviceSource = [] {
    return ::veltrin::SerialDevices();
};

CPortDialog::CPortDialog(QWidget* parent) : CChoiceDialog(IDD_PORT, 1141, 1142, parent) {
    const QStringList found = SerialDevices();
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(Text("device"), this);
        Grid()->addWidget(label, i, 2);
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("Port%1Device").arg(i + 1));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItem(QString());
        box->addItems(found);
        box->setMinimumContentsLength(24);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        label->setBuddy(box);
        auto* state = new QLabel(this);
        state->setObjectName(QStringLiteral("Port%1State").arg(i + 1));
        state->setTextFormat(Qt::PlainText);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(DluY(2));
        cell->addWidget(box);
        cell->addWidget(state);
        Grid()->addLayout(cell, i, 3);
        // The state stands under the list: the port's button and label line up with the list.
        for (QWidget* w : {static_cast<QWidget*>(Button(i)), static_cast<QWidget*>(label)}) {
            w->setMinimumHeight(box->sizeHint().height());
            Grid()->setAlignment(w, Qt::AlignTop);
        }
        devices_[i] = box;
        states_[i] = state;
        connect(box, &QComboBox::editTextChanged, this, [this, i] { UpdateState(i + 1); });
    }
    auto* hint = new QLabel(Text("hint"), this);
    hint->setObjectName("hint");
    hint->setTextFormat(Qt::PlainText);
    hint->setEnabled(false);
    Grid()->addWidget(hint, 2, 1, 1, 3);

    search_ = new QPushButton(Text("2020"), this);
    search_->setObjectName(QString::number(kSearch));
    search_->setAutoDefault(false);
    search_->setMinimumSize(DluX(50), DluY(14));
    Grid()->addWidget(search_, 3, 1);
    connect(search_, &QPushButton::clicked, this, &CPortDialog::Search);
}

std::vector<std::string> CPortDialog::ScanCandidates() const {
    std::vector<std::string> devices = serialDeviceSource ? serialDeviceSource() : std::vector<std::string>();
    auto add = [&](const QString& device) {
        const std::string d = device.trimmed().toStdString();
        if (!d.empty() && std::find(devices.begin(), devices.end(), d) == devices.end()) devices.push_back(d);
    };
    for (int n = 1; n <= 2; ++n) add(Device(n));
    add(openDevice_);
    return devices;
}

void CPortDialog::Search() {
    const int port = Choice() >= 0 ? Choice() + 1 : 1;
    std::vector<ScanResult> results;
    {
        WaitCursor wait;
        // Our own port would read as busy: it is given up for the scan and taken again after.
        const bool reopen = scanPort_ && scanPort_->IsOpen();
        if (reopen) scanPort_->Close();
        results = ScanForEncoders(ScanCandidates());
        if (reopen) scanPort_->Open();
    }
    CScanDialog dialog(results, port, this);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenDevice().isEmpty()) return;
    SetChoice(port - 1);
    DeviceBox(port)->setEditText(dialog.ChosenDevice());
}

QComboBox* CPortDialog::DeviceBox(int n) const { return n >= 1 && n <= 2 ? devices_[n - 1] : nullptr; }

void CPortDialog::SetDevice(int n, const QString& device, const QString& defaultDevice) {
    QComboBox* box = DeviceBox(n);
    if (!box) return;
    box->lineEdit()->setPlaceholderText(defaultDevice);
    box->setEditText(device);
    UpdateState(n);
}

void CPortDialog::SetOpenDevice(const QString& device) {
    openDevice_ = device;
    for (int n = 1; n <= 2; ++n) UpdateState(n);
}

QString CPortDialog::DeviceState(int n) const {
    return n >= 1 && n <= 2 ? states_[n - 1]->text() : QString();
}

void CPortDialog::UpdateState(int n) {
    QComboBox* box = DeviceBox(n);
    if (!box) return;
    // An empty entry stands for the default device, which the placeholder shows.
    QString device = box->currentText().trimmed();
    if (device.isEmpty()) device = box->lineEdit()->placeholderText();
    QString state;
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (!openDevice_.isEmpty() && !canonical.isEmpty() &&
        canonical == QFileInfo(openDevice_).canonicalFilePath())
        state = Res("port.state.ours");
    else
        state = QString::fromStdString(PortStateText(CheckDevice(device.toStdString())));
    states_[n - 1]->setText(state);
}

QString CPortDialog::Device(int n) const {
    QComboBox* box = DeviceBox(n);
    return box ? box->currentText().trimmed() : QString();
}

QStringList CPortDialog::SerialDevices() {
    QStringList devices;
    if (!serialDeviceSource) return devices;
    for (const std::string& device : serialDeviceSource()) devices << QString::fromStdString(device);
    return devices;
}

}  // namespace veltrin::ui
