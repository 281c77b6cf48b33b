#pragma once
// CPortDialog (143, "Schnittstelle"): 1141 "COM 1" (index 0), 1142 "COM 2" (index 1). Beside
// each port an editable list of the machine's serial devices binds that port to a device
// ("Port1Device", "Port2Device"); left empty, COM n is the platform's default device. Under each
// list the device's state ("Port1State", "Port2State"): whether it exists and may be opened,
// looked at without opening it, and again whenever the entry changes. "Suchen" (2020) looks for
// the encoder on every serial device and the entries (params/Scan.h), under the wait cursor, and
// offers the devices where one answered (CScanDialog, 202); the one chosen is bound to the port
// whose button is selected (COM 1 when none is).
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "ui/main/ChoiceDialog.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace veltrin {
class CSerialPort;
}

namespace veltrin::ui {

class CPortDialog : public CChoiceDialog {
    Q_OBJECT
public:
    explicit CPortDialog(QWidget* parent = nullptr);

    /// The binding of COM n (1 or 2) shown when the dialog opens; defaultDevice is the hint
    /// for an empty field.
    void SetDevice(int n, const QString& device, const QString& defaultDevice);
    /// The binding of COM n as the user left it (trimmed; empty: the default device).
    QString Device(int n) const;
    QComboBox* DeviceBox(int n) const;
    /// The device the program has open now (empty: none); its state reads "von Veltrin geöffnet".
    void SetOpenDevice(const QString& device);
    /// The state shown for COM n.
    QString DeviceState(int n) const;

    /// The serial devices of this machine (link/SerialDevices.h): on Linux /dev/ttyS*,
    /// /dev/ttyUSB*, /dev/ttyACM* and /dev/serial/by-id/*, on Windows the COM ports.
    static QStringList SerialDevices();
    /// Where SerialDevices() comes from: the machine's list unless a test sets another.
    static std::function<std::vector<std::string>()> serialDeviceSource;

    enum ControlId : int { kSearch = 2020 };
    QPushButton* SearchButton() const { return search_; }
    /// The program's own port: "Suchen" closes it for the scan (so that its device can be looked
    /// at too) and opens it again afterwards.
    void SetScanPort(CSerialPort* port) { scanPort_ = port; }
    /// The devices "Suchen" looks at: the machine's serial devices, then the entries and the
    /// device the program has open, each once.
    std::vector<std::string> ScanCandidates() const;
    /// "Suchen".
    void Search();

private:
    void UpdateState(int n);

    QComboBox* devices_[2];
    QLabel* states_[2];
    QString openDevice_;
    QPushButton* search_;
    CSerialPort* scanPort_ = nullptr;
};

}  // namespace veltrin::ui
