#include "ui/main/PortDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "link/SerialDevices.h"
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
        Grid()->addWidget(box, i, 3);
        devices_[i] = box;
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
