#include "ui/main/PortDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "link/PortDiagnosis.h"
#include "link/SerialDevices.h"
#include "ui/common/Ui.h"
#include "ui/main/CommandIds.h"

namespace veltrin::ui {

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
    for (const std::string& device : ::veltrin::SerialDevices()) devices << QString::fromStdString(device);
    return devices;
}

}  // namespace veltrin::ui
